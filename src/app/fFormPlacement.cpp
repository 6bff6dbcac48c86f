#include "app/fFormPlacement.h"

#include "app/cFormPlacement.h"
#include "app/cGatherixPrefs.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

TWindowState Describe(const QWidget* form)
{
    const bool maximized = form->isMaximized();
    // normalGeometry is only kept for windows that were maximised or full-screen.
    const QRect normal = maximized || form->isFullScreen() ? form->normalGeometry() : form->geometry();
    return {form->objectName(), normal, maximized, form->minimumSize() != form->maximumSize()};
}

QList<QRect> Monitors()
{
    QList<QRect> monitors;
    for (const QScreen* screen : QGuiApplication::screens())
        monitors << screen->geometry();
    return monitors;
}

// The area windows are centred in: the primary screen without its panels.
QRect CentringArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void Apply(QWidget* form, const TWindowState& placed)
{
    form->setWindowState(form->windowState() & ~Qt::WindowMaximized);
    form->setGeometry(placed.Normal);
    if (placed.Maximized)
        form->setWindowState(form->windowState() | Qt::WindowMaximized);
}

}  // namespace

void RestorePlacement(QWidget* form)
{
    Apply(form,
          TFormPlacement::RestorePlacement(Prefs().Settings(), Describe(form), Monitors(), CentringArea()));
}

void SavePlacement(QWidget* form) { TFormPlacement::SavePlacement(Prefs().Settings(), Describe(form)); }

void CenterOver(QWidget* form, QWidget* owner)
{
    const std::optional<QRect> over = owner ? std::optional<QRect>(owner->frameGeometry()) : std::nullopt;
    form->move(TFormPlacement::CenterOver(form->frameGeometry(), over, CentringArea()).topLeft());
}
