#pragma once

#include <QByteArray>
#include <QList>

struct Forms;

// The program's live settings: the settings dialog's fields as they stand at this
// moment, also while the dialog is open and before anything is saved. Readers ask at
// the moment of use and keep no copy. Texts are bytes of code page 932; line breaks
// inside them are CR LF.
class LiveSettings {
  public:
    virtual ~LiveSettings() = default;

    // SMTP server host name, as typed (key "SMTP").
    virtual QByteArray smtpServer() const = 0;
    // Sender address, as typed (key "From").
    virtual QByteArray senderAddress() const = 0;
    // The signature; empty when none is set (key "Signature").
    virtual QByteArray signature() const = 0;
    // Append the signature at every send (key "Signature(Automatic)").
    virtual bool automaticSignature() const = 0;
    // Record every sent mail in the send history (key "MakeLogFile").
    virtual bool makeLogFile() const = 0;
    // Empty the composer after a successful send (key "AutomaticalClear").
    virtual bool automaticalClear() const = 0;
    // Beep after a successful send (key "Beep").
    virtual bool beep() const = 0;
    // Index of the vodafone region letter, 0 to 8, or -1 when none is selected
    // (key "j-sky").
    virtual int regionIndex() const = 0;
    // The byte-limit choice: 0 the 500-byte limit, 1 none, -1 nothing chosen
    // (key "BiteLimit").
    virtual int byteLimitChoice() const = 0;
    // The subject phrases in list order.
    virtual QList<QByteArray> subjectPhrases() const = 0;

    // The selected region letter ("d" ... "q"), empty when none is selected.
    QByteArray regionLetter() const;
};

// The settings dialog's live settings; the built-in defaults before the dialog exists.
const LiveSettings& liveSettings(const Forms& forms);

namespace live_settings {

// The region letters of vodafone addresses, by index.
inline constexpr const char* kRegionLetters[] = {"d", "h", "t", "r", "c", "k", "s", "n", "q"};
inline constexpr int kRegionCount = 9;
inline constexpr int kDefaultRegionIndex = 5;  // "k"
// The mail domain that follows "@", the region letter and "." in a vodafone address.
inline constexpr char kVodafoneDomain[] = "vodafone.ne.jp";

// The phrases offered when the settings file holds none.
QList<QByteArray> builtInSubjectPhrases();

// The letter at `index`, empty outside 0 to 8.
QByteArray regionLetterAt(int index);

}  // namespace live_settings
