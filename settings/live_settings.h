#pragma once

#include <QByteArray>
#include <QList>

class IniDocument;
struct Forms;

// The program's live settings: the settings dialog's fields as they stand at this
// moment, also while the dialog is open and before anything is saved. Readers ask at
// the moment of use and keep no copy. Texts are bytes of code page 932; line breaks
// inside them are CR LF.
class LiveSettings {
  public:
    virtual ~LiveSettings() = default;

    // SMTP server host name, as typed.
    virtual QByteArray smtpServer() const = 0;
    // Sender address, as typed.
    virtual QByteArray senderAddress() const = 0;
    // The signature; empty when none is set.
    virtual QByteArray signature() const = 0;
    // Append the signature at every send.
    virtual bool automaticSignature() const = 0;
    // Record every sent mail in the send history.
    virtual bool makeLogFile() const = 0;
    // Empty the composer after a successful send.
    virtual bool automaticalClear() const = 0;
    // Beep after a successful send.
    virtual bool beep() const = 0;
    // Index of the vodafone region letter, 0 to 8, or -1 when none is selected.
    virtual int regionIndex() const = 0;
    // The byte-limit choice: 0 the 500-byte limit, 1 none, -1 nothing chosen.
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

// Where the settings file keeps one setting, how, and its value when the file has none
// (texts have none but the empty one; a switch is 0 or 1).
struct Key {
    enum Kind { Text, MultiLine, Switch, Number };
    const char* section;
    const char* name;
    Kind kind;
    int fallback;
};

// Every setting of the settings dialog, in the order a close writes them.
inline constexpr Key kSmtpServer{"Setting", "SMTP", Key::Text, 0};
inline constexpr Key kSenderAddress{"Setting", "From", Key::Text, 0};
inline constexpr Key kSignature{"Setting", "Signature", Key::MultiLine, 0};
inline constexpr Key kAutomaticSignature{"Setting", "Signature(Automatic)", Key::Switch, 0};
inline constexpr Key kMakeLogFile{"Setting", "MakeLogFile", Key::Switch, 1};
inline constexpr Key kAutomaticalClear{"Setting", "AutomaticalClear", Key::Switch, 1};
inline constexpr Key kBeep{"Setting", "Beep", Key::Switch, 1};
inline constexpr Key kRegion{"Setting", "j-sky", Key::Number, kDefaultRegionIndex};
inline constexpr Key kByteLimit{"Setting", "BiteLimit", Key::Number, 0};

// The stored value of a text key (Text or MultiLine), empty when there is none.
QByteArray readText(const IniDocument& doc, const Key& key);
// The stored value of a Switch (0 or 1) or a Number key, its fallback when there is none.
int readNumber(const IniDocument& doc, const Key& key);
// Writes every key above from `settings`, then the subject phrases.
void write(IniDocument& doc, const LiveSettings& settings);

// The letter at `index`, empty outside 0 to 8.
QByteArray regionLetterAt(int index);

}  // namespace live_settings
