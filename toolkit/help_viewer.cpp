#include "toolkit/help_viewer.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "toolkit/accessibility.h"
#include "toolkit/contrast.h"
#include "toolkit/fonts.h"
#include "toolkit/url_opener.h"

namespace toolkit {
namespace {

HelpRecorder*& activeRecorder() {
    static HelpRecorder* recorder = nullptr;
    return recorder;
}

QPointer<HelpViewer>& openViewer() {
    static QPointer<HelpViewer> viewer;
    return viewer;
}

bool isExternal(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == u"http" || scheme == u"https" || scheme == u"mailto";
}

// Keeps the browser's own history for links inside the help, and hands web and mail
// addresses to the desktop instead of loading them as topics.
class TopicBrowser : public QTextBrowser {
  public:
    using QTextBrowser::QTextBrowser;

  protected:
    void doSetSource(const QUrl& url, QTextDocument::ResourceType type) override {
        if (isExternal(url)) {
            openUrl(window(), url);
            return;
        }
        // The help file's extension tells the browser nothing: it is always HTML.
        if (type == QTextDocument::UnknownResource)
            type = QTextDocument::HtmlResource;
        QTextBrowser::doSetSource(url, type);
    }
};

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

}  // namespace

QString helpAnchor(int context) {
    return QStringLiteral("context-%1").arg(context);
}

HelpViewer::HelpViewer() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Mirvane ヘルプ"));
    setFont(fonts::windowFont());

    contents_ = new QPushButton(QStringLiteral("目次(&C)"), this);
    back_ = new QPushButton(QStringLiteral("戻る(&B)"), this);
    forward_ = new QPushButton(QStringLiteral("進む(&F)"), this);
    browser_ = new TopicBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpText"));
    accessibility::nameScrollArea(browser_, QStringLiteral("ヘルプ"));
    QFont text = fonts::windowFont();
    text.setPixelSize(14);
    browser_->setFont(text);
    applyPaletteColours();
    back_->setEnabled(false);
    forward_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents_);
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(buttons);
    layout->addWidget(browser_);

    connect(contents_, &QPushButton::clicked, this, [this] { showTopic(file_, 1); });
    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QPushButton::setEnabled);

    resize(620, 500);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void HelpViewer::applyPaletteColours() {
    // Headings, notes, links and table heads in the desktop's colours, each made
    // readable on the page where a palette leaves it too close to it; the help file
    // itself names no colour.
    const QPalette& p = browser_->palette();
    const QColor page = p.color(QPalette::Base);
    const auto on = [&](QPalette::ColorRole role) {
        return contrast::readable(p.color(role), page, 4.5).name();
    };
    browser_->document()->setDefaultStyleSheet(
        QStringLiteral("h1, h2 { color: %1; } p.note { color: %2; } a { color: %3; } "
                       "th { background-color: %4; color: %5; }")
            .arg(on(QPalette::Highlight), on(QPalette::PlaceholderText), on(QPalette::Link),
                 p.color(QPalette::AlternateBase).name(),
                 contrast::readable(p.color(QPalette::Text), p.color(QPalette::AlternateBase), 4.5)
                     .name()));
}

void HelpViewer::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && browser_) {
        applyPaletteColours();
        if (!file_.isEmpty() && !failed_)
            showTopic(file_, context_);
    }
}

HelpViewer* HelpViewer::instance() {
    return openViewer().data();
}

void HelpViewer::showTopic(const QString& file, int context) {
    file_ = file;
    context_ = context;
    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable()) {
        failed_ = true;
        browser_->clearHistory();
        browser_->setHtml(
            QStringLiteral("<h3>ヘルプファイルを開けません</h3>"
                           "<p>ヘルプファイル「%1」が見つからないか、読めません。</p>"
                           "<p>プログラムと同じフォルダーにあるか確かめてください。</p>")
                .arg(escaped(QDir::toNativeSeparators(file))));
        return;
    }
    failed_ = false;
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    url.setFragment(helpAnchor(context));
    browser_->setSource(url, QTextDocument::HtmlResource);
    // A topic that is not in the file shows the file from its top.
    if (!browser_->documentTitle().isEmpty())
        setWindowTitle(browser_->documentTitle());
}

void showHelp(QWidget* owner, const QString& helpFile, int context) {
    Q_UNUSED(owner);  // the viewer is a window of its own, not owned by the caller
    if (HelpRecorder* recorder = HelpRecorder::active())
        recorder->record({HelpRequest::Command::Context, helpFile, context});
    HelpViewer* viewer = openViewer();
    if (!viewer) {
        viewer = new HelpViewer;
        openViewer() = viewer;
    }
    viewer->showTopic(helpFile, context);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

void quitHelp() {
    if (HelpRecorder* recorder = HelpRecorder::active())
        recorder->record({HelpRequest::Command::Quit, {}, 0});
    delete openViewer().data();
}

HelpRecorder::HelpRecorder() : previous_(activeRecorder()) {
    activeRecorder() = this;
}

HelpRecorder::~HelpRecorder() {
    activeRecorder() = previous_;
}

HelpRecorder* HelpRecorder::active() {
    return activeRecorder();
}

}  // namespace toolkit
