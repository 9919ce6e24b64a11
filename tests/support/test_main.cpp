#include <gtest/gtest.h>

#include <QApplication>

#include "composer/pictograph_font.h"
#include "toolkit/message_box.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    // As at start-up: the window and field fonts draw the pictographs with our font.
    pictograph_font::load();
    toolkit::MessageBoxScript::setUnansweredHandler([](const toolkit::ShownBox& box) {
        ADD_FAILURE() << "unanswered message box: " << box.caption.toStdString() << ": "
                      << box.text.toStdString();
    });
    // Every test runs with boxes answered from a script: one it did not expect fails it.
    toolkit::MessageBoxScript unexpectedBoxes;
    return RUN_ALL_TESTS();
}
