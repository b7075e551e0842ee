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

namespace {
void claim(QMap<QKeySequence, QStringList> &claims, const QString &text)
{
    const QKeySequence key = QKeySequence::mnemonic(text);
    if (!key.isEmpty())
        claims[key] << text;
}
} // namespace

QStringList clashingAccelerators(QWidget *window)
{
    QMap<QKeySequence, QStringList> claims;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(window) || widget->window() != window)
            continue;
        if (auto *label = qobject_cast<QLabel *>(widget); label && label->buddy())
            claim(claims, label->text());
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            claim(claims, button->text());
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            claim(claims, group->title());
        else if (auto *bar = qobject_cast<QMenuBar *>(widget)) {
            for (const QAction *menu : bar->actions())
                claim(claims, menu->text());
        }
    }
    QStringList clashes;
    for (auto it = claims.cbegin(); it != claims.cend(); ++it) {
        if (it.value().size() > 1)
            clashes << it.key().toString() + QStringLiteral(": ") + it.value().join(QStringLiteral(", "));
    }
    return clashes;
}

} // namespace Torva
