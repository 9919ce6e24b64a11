#include "settings/settings_dialog.h"

#include "app/settings_file.h"
#include "app/window_placement.h"
#include "toolkit/error_report.h"

TForm2::TForm2(Forms& forms) : SecondaryWindow(forms, 2) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("設定"));
    makeFixedDialog(282, 274);
    move(574, 103);
    FormCreate();
}

void TForm2::FormCreate() {
    toolkit::guarded(this, [&] {
        const IniDocument doc = settings_file::open();
        readPlacement(doc);
    });
}

// Placed once per run, at creation.
void TForm2::FormShow() {}
