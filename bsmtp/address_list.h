#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Address fields as people type and paste them: RFC 5322 address lists in code page 932.
namespace bsmtp {

struct Mailbox {
    QByteArray displayName;  // code page 932, quoting taken off; may be empty
    QByteArray address;      // the bare address, ASCII: what goes into MAIL FROM and RCPT TO
};

struct AddressList {
    bool ok = false;
    QList<Mailbox> mailboxes;
    QByteArray badPart;  // the element that could not be read, blanks trimmed
};

// Reads `text` as a list of mailboxes: "addr", "Name <addr>", "\"Quoted, Name\" <addr>",
// "addr (Name)", separated by ',' or ';' (empty elements are skipped). Comments are dropped,
// except that the comment after a bare address becomes its display name. Double-byte
// characters are whole characters wherever they stand. Controls other than the tab make the
// list unreadable, as does an address that is not plain ASCII.
AddressList parseAddressList(QByteArrayView text);

}  // namespace bsmtp
