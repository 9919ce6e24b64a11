#include "composer/subject_phrases.h"

#include <QAbstractListModel>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>
#include <numeric>

#include "toolkit/beep.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/cp932.h"

namespace subject_phrases {
namespace {

const QString kMenuName = QStringLiteral("PopupMenu");

// The width is measured on at most this many phrases, the longest in bytes first.
constexpr qsizetype kMeasured = 200;

// The phrases as bytes; a row's text is made only when the view asks for it.
class PhraseModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    void setPhrases(QList<QByteArray> phrases) {
        beginResetModel();
        phrases_ = std::move(phrases);
        endResetModel();
    }
    const QList<QByteArray>& phrases() const { return phrases_; }
    QString phrase(int row) const { return cp932::decode(phrases_[row]); }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(phrases_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || role != Qt::DisplayRole)
            return {};
        // A TAB would show as a box; the row shows the phrase as typed otherwise.
        QString caption = phrase(index.row());
        caption.replace(u'\t', u' ');
        return caption;
    }

  private:
    QList<QByteArray> phrases_;
};

}  // namespace

PhraseMenu::PhraseMenu(QWidget* parent) : QListView(parent) {
    setObjectName(kMenuName);
    setWindowFlags(Qt::Popup);
    setModel(new PhraseModel(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone);
    setMouseTracking(true);
}

void PhraseMenu::setPhrases(QList<QByteArray> phrases) {
    static_cast<PhraseModel*>(model())->setPhrases(std::move(phrases));
}

int PhraseMenu::count() const {
    return model()->rowCount();
}

QString PhraseMenu::phrase(int row) const {
    return static_cast<const PhraseModel*>(model())->phrase(row);
}

void PhraseMenu::popupAt(QPoint pos) {
    // Sizes and the keys that move to the end need the style and the rows laid out.
    ensurePolished();
    doItemsLayout();
    QScreen* screen = QGuiApplication::screenAt(pos);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect avail = screen->availableGeometry();

    // The widest of the longest phrases; rows all have the height of the first.
    const QList<QByteArray>& all = static_cast<const PhraseModel*>(model())->phrases();
    QList<qsizetype> rows(all.size());
    std::iota(rows.begin(), rows.end(), 0);
    const qsizetype measured = std::min(kMeasured, rows.size());
    std::partial_sort(rows.begin(), rows.begin() + measured, rows.end(),
                      [&](qsizetype a, qsizetype b) { return all[a].size() > all[b].size(); });
    const QFontMetrics metrics(font());
    int textWidth = 0;
    for (qsizetype k = 0; k < measured; ++k)
        textWidth =
            std::max(textWidth,
                     metrics.horizontalAdvance(model()->index(int(rows[k]), 0).data().toString()));
    const int rowHeight = count() > 0 ? std::max(sizeHintForRow(0), 1) : metrics.height();
    const int frame = 2 * frameWidth();
    const int maxRows = std::max(1, (avail.height() - frame) / rowHeight);
    const int shown = std::clamp(count(), 1, maxRows);
    const bool scrolls = count() > maxRows;
    const int width =
        std::min(avail.width(),
                 textWidth + 16 + frame + (scrolls ? verticalScrollBar()->sizeHint().width() : 0));
    setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);

    // Inside the screen, as a menu opens: to the left or above the pointer when there
    // is no room to the right or below.
    const QSize size(width, shown * rowHeight + frame);
    QPoint at = pos;
    if (at.x() + size.width() > avail.right() + 1)
        at.setX(std::max(avail.left(), avail.right() + 1 - size.width()));
    if (at.y() + size.height() > avail.bottom() + 1)
        at.setY(std::max(avail.top(), pos.y() - size.height()));
    setGeometry(QRect(at, size));
    setCurrentIndex(QModelIndex());
    scrollToTop();
    show();
    setFocus(Qt::PopupFocusReason);
}

void PhraseMenu::choose(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const QString chosenPhrase = phrase(index.row());
    close();
    emit chosen(chosenPhrase);
}

void PhraseMenu::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            choose(currentIndex());
            return;
        case Qt::Key_Escape:
            close();
            return;
        case Qt::Key_End:
        case Qt::Key_Up:
            // With nothing highlighted yet, these go to the last phrase, as in a menu.
            if (!currentIndex().isValid() && count() > 0) {
                setCurrentIndex(model()->index(count() - 1, 0));
                return;
            }
            QListView::keyPressEvent(event);
            return;
        default:
            QListView::keyPressEvent(event);
    }
}

void PhraseMenu::mouseMoveEvent(QMouseEvent* event) {
    // The row under the pointer is the highlighted one, as in a menu.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index != currentIndex())
        setCurrentIndex(index);
    QListView::mouseMoveEvent(event);
}

void PhraseMenu::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton &&
        viewport()->rect().contains(event->position().toPoint())) {
        choose(indexAt(event->position().toPoint()));
        return;
    }
    QListView::mouseReleaseEvent(event);
}

PhraseMenu* phraseMenu(QWidget& owner, toolkit::ByteLimitedLineEdit& subject) {
    if (auto* menu = owner.findChild<PhraseMenu*>(kMenuName, Qt::FindDirectChildrenOnly)) {
        return menu;
    }
    auto* menu = new PhraseMenu(&owner);
    QObject::connect(menu, &PhraseMenu::chosen, &owner,
                     [&subject](const QString& phrase) { insertPhrase(subject, phrase); });
    return menu;
}

PhraseMenu* openPhraseMenu(QWidget& owner, toolkit::ByteLimitedLineEdit& subject,
                           QList<QByteArray> phrases) {
    PhraseMenu* menu = phraseMenu(owner, subject);
    menu->setPhrases(std::move(phrases));
    menu->popupAt(QCursor::pos());
    return menu;
}

bool insertPhrase(toolkit::ByteLimitedLineEdit& subject, const QString& phrase) {
    const qsizetype length = cp932::byteLength(phrase);
    if (kSubjectLimit - subject.byteLength() < length) {
        toolkit::systemBeep();
        return false;
    }
    // An empty phrase brings nothing; it must not wipe the selected part of the subject.
    if (length == 0) {
        return false;
    }
    return subject.replaceSelection(phrase);
}

}  // namespace subject_phrases
