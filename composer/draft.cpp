#include "composer/draft.h"

#include "app/ini_document.h"
#include "toolkit/cp932.h"

namespace draft {
namespace {

constexpr char kSection[] = "Preservation";

QString get(const IniDocument& doc, const char* key) {
    return cp932::decode(doc.readString(kSection, key));
}

}  // namespace

bool exists(const IniDocument& doc) {
    return doc.sectionExists(kSection);
}

void write(IniDocument& doc, const Mail& mail) {
    doc.writeString(kSection, "To", cp932::encode(mail.to));
    doc.writeString(kSection, "Subject", cp932::encode(mail.subject));
    doc.writeMultiLine(kSection, "Body", cp932::encode(mail.body));
    doc.writeString(kSection, "AttachFile", cp932::encode(mail.attachmentPath));
    doc.writeString(kSection, "Panels[0]", cp932::encode(mail.recipientPanel));
    doc.writeString(kSection, "Panels[1]", cp932::encode(mail.attachmentPanel));
}

Mail read(const IniDocument& doc) {
    Mail mail;
    mail.to = get(doc, "To");
    mail.subject = get(doc, "Subject");
    mail.body = cp932::decode(doc.readMultiLine(kSection, "Body"));
    mail.attachmentPath = get(doc, "AttachFile");
    mail.recipientPanel = get(doc, "Panels[0]");
    mail.attachmentPanel = get(doc, "Panels[1]");
    return mail;
}

void erase(IniDocument& doc) {
    doc.eraseSection(kSection);
}

}  // namespace draft
