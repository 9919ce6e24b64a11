#include "settings/live_settings.h"

#include "app/forms.h"

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
    bool automaticSignature() const override { return false; }
    bool makeLogFile() const override { return true; }
    bool automaticalClear() const override { return true; }
    bool beep() const override { return true; }
    int regionIndex() const override { return live_settings::kDefaultRegionIndex; }
    int byteLimitChoice() const override { return 0; }
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
