#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class QPushButton;
class QTextBrowser;

// The program's help: a viewer window of its own that shows a help file.
//
// Help file format: an HTML document in UTF-8 that a person can write and read with
// any text editor. Each topic begins at an anchor named after its context number,
// <a name="context-N"></a>; context 1 is the contents page. Links between topics
// are ordinary links to those anchors ("#context-12"); links to web or mail
// addresses are handed to the desktop (toolkit/url_opener.h).
namespace toolkit {

// The anchor name of context number `context`: "context-1".
QString helpAnchor(int context);

// Shows the topic `context` of `helpFile` in the help viewer, opening the viewer
// when it is closed. A file that is missing or cannot be read is reported by the
// viewer in its own window; the caller shows nothing.
void showHelp(QWidget* owner, const QString& helpFile, int context);
// Closes the help viewer when it is open.
void quitHelp();

// One request made to the help, as tests read them back.
struct HelpRequest {
    enum class Command { Context, Quit };
    Command command = Command::Context;
    QString file;
    int context = 0;
};

// While one exists, every request is recorded; the viewer still does what it is
// asked, so tests can look at it.
class HelpRecorder {
  public:
    HelpRecorder();
    ~HelpRecorder();
    HelpRecorder(const HelpRecorder&) = delete;
    HelpRecorder& operator=(const HelpRecorder&) = delete;

    const QList<HelpRequest>& requests() const { return requests_; }
    static HelpRecorder* active();
    void record(const HelpRequest& request) { requests_.append(request); }

  private:
    QList<HelpRequest> requests_;
    HelpRecorder* previous_;
};

// The viewer window: contents, back and forward buttons over the topic text.
class HelpViewer : public QWidget {
    Q_OBJECT
  public:
    // The open viewer, or null.
    static HelpViewer* instance();

    QString file() const { return file_; }
    int context() const { return context_; }
    // Whether the file could not be shown (the window says why).
    bool failed() const { return failed_; }
    QTextBrowser* browser() const { return browser_; }

  protected:
    void changeEvent(QEvent* event) override;

  private:
    HelpViewer();
    void showTopic(const QString& file, int context);
    void applyPaletteColours();
    friend void showHelp(QWidget*, const QString&, int);

    QTextBrowser* browser_ = nullptr;
    QPushButton* contents_;
    QPushButton* back_;
    QPushButton* forward_;
    QString file_;
    int context_ = 0;
    bool failed_ = false;
};

}  // namespace toolkit
