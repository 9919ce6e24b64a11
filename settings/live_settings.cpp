#include "settings/live_settings.h"

#include "app/forms.h"
#include "app/ini_document.h"
#include "app/settings_file.h"

namespace live_settings {

QList<QByteArray> builtInSubjectPhrases() {
    // The long ones are cut at 30 bytes, the phrase limit.
    return {"Message from SkyMail",    "message from TU-KA SkyMessage",  "Re:",
            "Re:Message from SkyMail", "Re:message from TU-KA SkyMessa", "Re>",
            "Re>Message from SkyMail", "Re>message from TU-KA SkyMessa"};
}

QByteArray regionLetterAt(int index) {
    if (index < 0 || index >= kRegionCount) {
        return {};
    }
    return kRegionLetters[index];
}

QByteArray readText(const IniDocument& doc, const Key& key) {
    return key.kind == Key::MultiLine ? doc.readMultiLine(key.section, key.name)
                                      : doc.readString(key.section, key.name);
}

int readNumber(const IniDocument& doc, const Key& key) {
    return key.kind == Key::Switch ? doc.readBool(key.section, key.name, key.fallback != 0)
                                   : doc.readInteger(key.section, key.name, key.fallback);
}

namespace {

void writeText(IniDocument& doc, const Key& key, const QByteArray& value) {
    if (key.kind == Key::MultiLine) {
        doc.writeMultiLine(key.section, key.name, value);
    } else {
        doc.writeString(key.section, key.name, value);
    }
}

void writeNumber(IniDocument& doc, const Key& key, int value) {
    if (key.kind == Key::Switch) {
        doc.writeBool(key.section, key.name, value != 0);
    } else {
        doc.writeInteger(key.section, key.name, value);
    }
}

}  // namespace

void write(IniDocument& doc, const LiveSettings& settings) {
    writeText(doc, kSmtpServer, settings.smtpServer());
    writeText(doc, kSenderAddress, settings.senderAddress());
    writeText(doc, kSignature, settings.signature());
    writeNumber(doc, kAutomaticSignature, settings.automaticSignature());
    writeNumber(doc, kMakeLogFile, settings.makeLogFile());
    writeNumber(doc, kAutomaticalClear, settings.automaticalClear());
    writeNumber(doc, kBeep, settings.beep());
    writeNumber(doc, kRegion, settings.regionIndex());
    writeNumber(doc, kByteLimit, settings.byteLimitChoice());
    settings_file::writeSubjectPhrases(doc, settings.subjectPhrases());
}

}  // namespace live_settings

QByteArray LiveSettings::regionLetter() const {
    return live_settings::regionLetterAt(regionIndex());
}

namespace {

// What the settings dialog shows after a start without a settings file.
class BuiltInSettings final : public LiveSettings {
  public:
    QByteArray smtpServer() const override { return {}; }
    QByteArray senderAddress() const override { return {}; }
    QByteArray signature() const override { return {}; }
    bool automaticSignature() const override { return live_settings::kAutomaticSignature.fallback; }
    bool makeLogFile() const override { return live_settings::kMakeLogFile.fallback; }
    bool automaticalClear() const override { return live_settings::kAutomaticalClear.fallback; }
    bool beep() const override { return live_settings::kBeep.fallback; }
    int regionIndex() const override { return live_settings::kRegion.fallback; }
    int byteLimitChoice() const override { return live_settings::kByteLimit.fallback; }
    QList<QByteArray> subjectPhrases() const override {
        return live_settings::builtInSubjectPhrases();
    }
};

}  // namespace

const LiveSettings& liveSettings(const Forms& forms) {
    if (forms.settings) {
        return *forms.settings;
    }
    static const BuiltInSettings builtIn;
    return builtIn;
}
