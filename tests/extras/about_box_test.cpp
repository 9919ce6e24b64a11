#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "app/ini_document.h"
#include "app/settings_file.h"
#include "composer/composer_window.h"
#include "extras/about_box.h"
#include "extras/artwork.h"
#include "extras/jpeg_picture.h"
#include "program/application.h"
#include "support/test_support.h"
#include "toolkit/message_box.h"
#include "toolkit/url_opener.h"

namespace {

// One running program; menu items are chosen as a user does, by opening the menu
// and pressing the item's access key.
class VersionDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.write(QStringLiteral("mirvane.ini"), "[Window]\r\nTop3=7\r\nLeft3=9\r\n");
        program = std::make_unique<Application>();
        program->show();
        form1 = program->forms().form1;
        about = program->forms().aboutBox;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
    }
    void TearDown() override { program.reset(); }

    void chooseVersion() {
        chooseFromMenu(form1, form1->Help1, Qt::Key_V);
        QApplication::processEvents();
    }

    TempProgramDir dir;
    std::unique_ptr<Application> program;
    TForm1* form1 = nullptr;
    TAboutBox* about = nullptr;
};

QPoint screenCentre() {
    return QGuiApplication::primaryScreen()->geometry().center();
}

QByteArray shippedPicture() {
    return artwork::aboutBackgroundJpeg();
}

}  // namespace

TEST_F(VersionDialog, FirstShowingIsCentredThenTheStoredPlaceIsUsed) {
    chooseVersion();
    ASSERT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_LE(std::abs(about->frameGeometry().center().x() - screenCentre().x()), 1);
    EXPECT_LE(std::abs(about->frameGeometry().center().y() - screenCentre().y()), 1);
    const QPoint centred = about->pos();

    // Closing stores the place at once.
    QTest::mouseClick(about->OKButton, Qt::LeftButton);
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(dir.settings().readInteger("Window", "Top3", -1), centred.y());
    EXPECT_EQ(dir.settings().readInteger("Window", "Left3", -1), centred.x());

    // The second showing of the run takes the stored place, not the centre.
    dir.write(QStringLiteral("mirvane.ini"), "[Window]\r\nTop3=40\r\nLeft3=30\r\n");
    chooseVersion();
    EXPECT_EQ(about->pos(), QPoint(30, 40));
    about->move(50, 60);
    about->close();
    EXPECT_EQ(dir.settings().readInteger("Window", "Top3", -1), 60);
    EXPECT_EQ(dir.settings().readInteger("Window", "Left3", -1), 50);
}

// Also run under a real window manager (desktop_placement_openbox), which frames the
// dialog only after it is on the screen: the frame is what ends up centred.
TEST_F(VersionDialog, TheFramedDialogEndsUpCentred) {
    chooseVersion();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
    auto offCentre = [&] {
        const QPoint d = about->frameGeometry().center() - screenCentre();
        return std::max(std::abs(d.x()), std::abs(d.y()));
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return offCentre() <= 1; }, 5000))
        << "frame " << about->frameGeometry().x() << "," << about->frameGeometry().y() << " "
        << about->frameGeometry().width() << "x" << about->frameGeometry().height();
    // Settled: the window manager moves it no more.
    EXPECT_TRUE(holdsFor([&] { return offCentre() <= 1; }, 300));
    const QPoint centred = about->pos();
    about->close();
    EXPECT_EQ(dir.settings().readInteger("Window", "Top3", -1), centred.y());
    EXPECT_EQ(dir.settings().readInteger("Window", "Left3", -1), centred.x());

    // The next showing puts the frame at the stored place and leaves it there.
    dir.write(QStringLiteral("mirvane.ini"), "[Window]\r\nTop3=40\r\nLeft3=30\r\n");
    chooseVersion();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return about->frameGeometry().topLeft() == QPoint(30, 40); }, 5000))
        << "frame at " << about->frameGeometry().x() << "," << about->frameGeometry().y();
    EXPECT_TRUE(holdsFor([&] { return about->frameGeometry().topLeft() == QPoint(30, 40); }, 300));
    EXPECT_EQ(about->frameGeometry().topLeft(), QPoint(30, 40));
    about->close();
}

TEST_F(VersionDialog, ChoosingItWhileVisibleOnlyBringsItToTheFront) {
    chooseVersion();
    about->move(70, 80);
    dir.write(QStringLiteral("mirvane.ini"), "[Window]\r\nTop3=1\r\nLeft3=2\r\n");
    chooseVersion();
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->pos(), QPoint(70, 80));
    // Nothing was written: the file still holds what the test put there.
    EXPECT_EQ(dir.read(QStringLiteral("mirvane.ini")),
              QByteArray("[Window]\r\nTop3=1\r\nLeft3=2\r\n"));
    about->close();
}

TEST_F(VersionDialog, EnterAndTheCloseBoxCloseItAndStoreThePlace) {
    chooseVersion();
    about->move(11, 22);
    QTest::keyClick(about, Qt::Key_Return);
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(dir.settings().readInteger("Window", "Left3", -1), 11);

    chooseVersion();
    about->move(33, 44);
    EXPECT_TRUE(about->close());
    EXPECT_EQ(dir.settings().readInteger("Window", "Top3", -1), 44);
}

TEST_F(VersionDialog, ShowsItsControlsOverThePicture) {
    chooseVersion();
    EXPECT_EQ(about->windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(about->size(), QSize(296, 177));
    EXPECT_EQ(about->Version->text(), QStringLiteral("Ver1.27"));
    EXPECT_EQ(about->OKButton->text(), QStringLiteral("閉じる(&C)"));
    EXPECT_EQ(about->OKButton->geometry(), QRect(215, 148, 75, 25));
    EXPECT_EQ(about->Link->text(), TAboutBox::homePage());
    EXPECT_EQ(about->Link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(about->ProgramIcon->geometry(), QRect(24, 96, 33, 33));

    // The background is the 300 × 200 picture, drawn unscaled.
    ASSERT_FALSE(about->Image1->pixmap().isNull());
    EXPECT_EQ(about->Image1->pixmap().size(), QSize(300, 200));
    const QImage icon = artwork::programIconImage();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_LE(icon.colorCount(), 256);
    EXPECT_GT(icon.colorCount(), 0);
    // The program's windows carry the icon.
    EXPECT_FALSE(form1->windowIcon().isNull());
    EXPECT_FALSE(about->windowIcon().isNull());

    saveScreenshot(about, QStringLiteral("version_dialog"));
    about->close();
}

TEST_F(VersionDialog, TheLinkOpensTheHomePageAndTheDialogStays) {
    toolkit::UrlOpenRecorder urls;
    chooseVersion();
    QTest::mouseClick(about->Link, Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_EQ(urls.opened().size(), 1);
    EXPECT_EQ(urls.opened().front(), QUrl(TAboutBox::homePage()));
    EXPECT_EQ(urls.opened().front().scheme(), QStringLiteral("https"));
    EXPECT_TRUE(about->isVisible());
    // A click on the icon or the other labels opens nothing.
    QTest::mouseClick(about->Copyright, Qt::LeftButton);
    EXPECT_EQ(urls.opened().size(), 1);
    about->close();
}

TEST(JpegPicture, TheShippedPictureIsAColourPictureOf300By200) {
    const jpeg_picture::Picture picture = jpeg_picture::decode(shippedPicture());
    ASSERT_FALSE(picture.isNull()) << picture.error.toStdString();
    EXPECT_EQ(picture.width, 300);
    EXPECT_EQ(picture.height, 200);
    EXPECT_EQ(picture.rgb.size(), 300 * 200 * 3);
    // Colour, not grey: some pixel has channels far apart.
    bool colour = false;
    for (qsizetype i = 0; i + 2 < picture.rgb.size() && !colour; i += 3) {
        const int r = uchar(picture.rgb[i]), g = uchar(picture.rgb[i + 1]),
                  b = uchar(picture.rgb[i + 2]);
        colour = std::abs(r - b) > 60 || std::abs(g - b) > 60;
    }
    EXPECT_TRUE(colour);
}

TEST(JpegPicture, DamagedOrTruncatedFilesGiveNoPictureAndAMessage) {
    const QByteArray good = shippedPicture();
    ASSERT_GT(good.size(), 1000);
    QByteArray scrambled = good;
    for (qsizetype i = 2; i < 40; ++i)
        scrambled[i] = char(0xA5);
    QByteArray corruptScan = good;
    for (qsizetype i = good.size() / 2; i < good.size() / 2 + 200; ++i)
        corruptScan[i] = char(0xFF);
    QByteArray huge = good;
    // The first frame header (FF C0) claims a picture far too large to decode.
    const qsizetype sof = good.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    huge[sof + 5] = char(0xFF);
    huge[sof + 6] = char(0xFF);

    const QList<QPair<const char*, QByteArray>> damaged = {
        {"empty", QByteArray()},
        {"not a JPEG", QByteArray("GIF89a, certainly not a JPEG picture")},
        {"only the start marker", good.left(2)},
        {"header cut", good.left(100)},
        {"scan cut in the middle", good.left(good.size() / 2)},
        {"last bytes missing", good.left(good.size() - 2)},
        {"scrambled header", scrambled},
        {"corrupt scan data", corruptScan},
        {"claims 65535 lines", huge},
    };
    for (const auto& [what, bytes] : damaged) {
        const jpeg_picture::Picture picture = jpeg_picture::decode(bytes);
        EXPECT_TRUE(picture.isNull()) << what;
        EXPECT_FALSE(picture.error.isEmpty()) << what;
    }
}

TEST_F(VersionDialog, ADamagedPictureLeavesAnEmptyBackgroundAndAMessage) {
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { warnings.append(text); });
    about->setBackground(shippedPicture().left(3000));
    qInstallMessageHandler(previous);

    EXPECT_TRUE(about->Image1->pixmap().isNull());
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.front().contains(QStringLiteral("picture")))
        << warnings.front().toStdString();
    // The dialog still works.
    chooseVersion();
    EXPECT_TRUE(about->isVisible());
    about->close();
}

// An install whose program directory the user cannot write: closing the dialog
// reports that the settings file cannot be written, and the program goes on. The
// test runs itself again as an unprivileged user (CI runs as root, who may write
// anywhere).
TEST(VersionDialogUnwritable, ClosingReportsTheSettingsFileAndGoesOn) {
    const QByteArray childDir = qgetenv("MIRVANE_UNWRITABLE_DIR");
    if (!childDir.isEmpty()) {
        settings_file::setProgramDirectoryForTests(QString::fromLocal8Bit(childDir));
        toolkit::MessageBoxScript boxes;
        boxes.answer(toolkit::Answer::Ok);
        {
            Application program;
            program.forms().form1->About1Click();
            TAboutBox* about = program.forms().aboutBox;
            ASSERT_TRUE(about->isVisible());
            EXPECT_TRUE(about->close());
            EXPECT_FALSE(about->isVisible());
            ASSERT_EQ(boxes.shown().size(), 1);
            EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("Mirvane"));
            EXPECT_EQ(boxes.shown()[0].text,
                      QStringLiteral("ファイル %1/mirvane.ini を作成できません.")
                          .arg(QString::fromLocal8Bit(childDir)));
            // Still usable: the dialog opens again.
            boxes.answer(toolkit::Answer::Ok);
            program.forms().form1->About1Click();
            EXPECT_TRUE(about->isVisible());
            about->close();
        }
        settings_file::setProgramDirectoryForTests({});
        return;
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::ExeOther);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MIRVANE_UNWRITABLE_DIR"), dir.path());
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("/usr/bin/setpriv"),
                {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                 QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                 QStringLiteral("--gtest_filter=VersionDialogUnwritable.*")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("mirvane.ini"))));
}
