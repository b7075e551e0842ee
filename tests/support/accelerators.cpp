#include "accelerators.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QMenuBar>
#include <QWidget>

namespace Torva {

QStringList clashingAccelerators(QWidget *window)
{
    QStringList texts;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(window) || widget->window() != window)
            continue;
        if (auto *label = qobject_cast<QLabel *>(widget); label && label->buddy())
            texts << label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            texts << button->text();
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            texts << group->title();
        else if (auto *bar = qobject_cast<QMenuBar *>(widget)) {
            for (const QAction *menu : bar->actions())
                texts << menu->text();
        }
    }
    QMap<QKeySequence, QStringList> claims;
    for (const QString &text : std::as_const(texts)) {
        if (const QKeySequence key = QKeySequence::mnemonic(text); !key.isEmpty())
            claims[key] << text;
    }
    QStringList clashes;
    for (auto it = claims.cbegin(); it != claims.cend(); ++it) {
        if (it.value().size() > 1)
            clashes << it.key().toString() + QStringLiteral(": ") + it.value().join(QStringLiteral(", "));
    }
    return clashes;
}

} // namespace Torva
