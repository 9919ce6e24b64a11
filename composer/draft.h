#pragma once

#include <QString>

class IniDocument;

// The one saved mail: section "Preservation" of the settings file, six entries in a
// fixed order. Values are stored as they are; loading the file trims them, so outer
// blanks and outer line breaks of the body do not come back.
namespace draft {

struct Mail {
    QString to;
    QString subject;
    QString body;  // CR LF line breaks
    QString attachmentPath;
    QString recipientPanel;
    QString attachmentPanel;
};

// Whether a draft is stored: the section holds at least one entry.
bool exists(const IniDocument& doc);
// Writes the six entries; an existing draft's entries are replaced where they stand.
void write(IniDocument& doc, const Mail& mail);
// The stored draft; missing entries read as empty.
Mail read(const IniDocument& doc);
void erase(IniDocument& doc);

}  // namespace draft
