#pragma once

#include <QByteArray>

class TForm1;
struct Forms;

// The send command of the main window.
namespace send_command {

struct Mail {
    QByteArray server, to, from, subject, body, attachment;  // code page 932
};

struct Outcome {
    bool sent = false;
    // The library's text up to its first zero byte, at most the whole 81 bytes.
    QByteArray error;
};

// Calls the SMTP library on a worker thread. Until it returns the program takes no
// input, but its windows go on repainting.
Outcome callLibrary(const Mail& mail);

// Signature, state panel, the call, then beep, history entry and reset, or the
// library's error text.
void run(TForm1& form, const Forms& forms);

}  // namespace send_command
