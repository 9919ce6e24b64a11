#include "composer/subject_phrases.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include "composer/composer_window.h"
#include "settings/live_settings.h"
#include "toolkit/beep.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/cp932.h"

namespace subject_phrases {
namespace {

const QString kMenuName = QStringLiteral("PopupMenu");

// A menu caption shows "&" as an access key mark and a TAB as the start of a
// shortcut text; a phrase must show as typed.
QString captionOf(const QString& phrase) {
    QString caption = phrase;
    caption.replace(u'&', QStringLiteral("&&"));
    caption.replace(u'\t', u' ');
    return caption;
}

}  // namespace

QMenu* phraseMenu(TForm1& form) {
    if (auto* menu = form.findChild<QMenu*>(kMenuName, Qt::FindDirectChildrenOnly)) {
        return menu;
    }
    auto* menu = new QMenu(&form);
    menu->setObjectName(kMenuName);
    return menu;
}

QMenu* openPhraseMenu(TForm1& form, const LiveSettings& settings) {
    QMenu* menu = phraseMenu(form);
    menu->clear();
    for (const QByteArray& bytes : settings.subjectPhrases()) {
        const QString phrase = cp932::decode(bytes);
        QAction* item = menu->addAction(captionOf(phrase));
        item->setData(phrase);
        toolkit::ByteLimitedLineEdit* subject = form.Edit3;
        QObject::connect(item, &QAction::triggered, menu,
                         [subject, phrase] { insertPhrase(*subject, phrase); });
    }
    menu->popup(QCursor::pos());
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
