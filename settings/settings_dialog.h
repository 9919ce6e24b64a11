#pragma once

#include "app/secondary_window.h"
#include "settings/live_settings.h"

// The settings dialog "設定". It reads its placement once, while it is created at
// start-up, and writes it each time it closes.
class TForm2 : public SecondaryWindow, public LiveSettings {
    Q_OBJECT
  public:
    explicit TForm2(Forms& forms);

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

  protected:
    void FormCreate();
    void FormShow() override;
};
