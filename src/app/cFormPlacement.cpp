#include "app/cFormPlacement.h"

#include "platform/SettingsStore.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

const QString Section = QStringLiteral("WindowPlacement");

// Far beyond any desktop; keeps the rectangle arithmetic of a damaged record from overflowing.
constexpr qint32 CoordinateLimit = 1 << 24;

using TFields = std::array<qint32, TWindowPlacement::Size / 4>;

// The record's fields in their order: length, flags, show command, min position, max position,
// normal rectangle (left, top, right, bottom).
TFields Fields(const TWindowPlacement& p)
{
    const QRect& r = p.NormalPosition;
    return {TWindowPlacement::Size,
            qint32(p.Flags),
            qint32(p.ShowCmd),
            p.MinPosition.x(),
            p.MinPosition.y(),
            p.MaxPosition.x(),
            p.MaxPosition.y(),
            r.x(),
            r.y(),
            r.x() + r.width(),
            r.y() + r.height()};
}

bool WithinLimit(qint32 value) { return std::abs(qint64(value)) <= CoordinateLimit; }

// The Windows rectangle of a normal position: its right and bottom lie just outside.
std::array<QPoint, 4> Corners(const QRect& r)
{
    const int right = r.x() + r.width();
    const int bottom = r.y() + r.height();
    return {QPoint(r.x(), r.y()), QPoint(right, r.y()), QPoint(r.x(), bottom), QPoint(right, bottom)};
}

// A monitor counts from its top-left corner up to, but not including, its last column and row.
bool OnMonitor(const QPoint& point, const QRect& monitor)
{
    return point.x() >= monitor.left() && point.x() < monitor.right() && point.y() >= monitor.top()
           && point.y() < monitor.bottom();
}

// Where a span of `length` starts when centred over the span from `overStart`.
int Centred(int length, int overStart, int overLength) { return overStart + (overLength - length) / 2; }

}  // namespace

QByteArray TWindowPlacement::Encode() const
{
    QByteArray bytes(Size, '\0');
    const TFields fields = Fields(*this);
    for (size_t i = 0; i < fields.size(); ++i)
        qToLittleEndian(fields[i], bytes.data() + 4 * i);
    return bytes;
}

std::optional<TWindowPlacement> TWindowPlacement::Decode(const QByteArray& bytes)
{
    if (bytes.size() != Size)
        return std::nullopt;
    TFields f;
    for (size_t i = 0; i < f.size(); ++i)
        f[i] = qFromLittleEndian<qint32>(bytes.constData() + 4 * i);
    if (f[0] != Size || !std::all_of(f.begin() + 7, f.end(), WithinLimit))
        return std::nullopt;
    TWindowPlacement p;
    p.Flags = quint32(f[1]);
    p.ShowCmd = quint32(f[2]);
    p.MinPosition = QPoint(f[3], f[4]);
    p.MaxPosition = QPoint(f[5], f[6]);
    p.NormalPosition = QRect(f[7], f[8], f[9] - f[7], f[10] - f[8]);
    return p;
}

bool TFormPlacement::IsVisible(const TWindowPlacement& placement, const QList<QRect>& monitors)
{
    if (placement.ShowCmd == TWindowPlacement::ShowMaximized)
        return true;
    const auto corners = Corners(placement.NormalPosition);
    return std::all_of(corners.begin(), corners.end(), [&](const QPoint& corner) {
        return std::any_of(monitors.begin(), monitors.end(),
                           [&](const QRect& monitor) { return OnMonitor(corner, monitor); });
    });
}

QRect TFormPlacement::CenterOnScreen(const QRect& form, const QRect& screen)
{
    return QRect(QPoint(Centred(form.width(), screen.x(), screen.width()),
                        Centred(form.height(), screen.y(), screen.height())),
                 form.size());
}

QRect TFormPlacement::CenterOver(const QRect& form, const std::optional<QRect>& owner, const QRect& screen)
{
    if (!owner)
        return CenterOnScreen(form, screen);
    const int left = std::min(screen.x() + screen.width() - form.width(),
                              std::max(screen.x(), Centred(form.width(), owner->x(), owner->width())));
    const int top = std::min(screen.y() + screen.height() - form.height(),
                             std::max(screen.y(), Centred(form.height(), owner->y(), owner->height())));
    return QRect(QPoint(left, top), form.size());
}

TWindowState TFormPlacement::RestorePlacement(const TSettingsStore& settings, const TWindowState& window,
                                              const QList<QRect>& monitors, const QRect& screen)
{
    TWindowState placed = window;
    const auto stored = TWindowPlacement::Decode(settings.ReadBinary(Section, window.Name));
    if (!stored || !IsVisible(*stored, monitors)) {
        placed.Normal = CenterOnScreen(window.Normal, screen);
        return placed;
    }
    placed.Normal = stored->NormalPosition;
    placed.Maximized = stored->ShowCmd == TWindowPlacement::ShowMaximized;
    if (!window.Resizable)
        placed.Normal.setSize(window.Normal.size());
    return placed;
}

void TFormPlacement::SavePlacement(TSettingsStore& settings, const TWindowState& window)
{
    // An unnamed window would share the key's default value with every other one.
    if (window.Name.isEmpty())
        return;
    TWindowPlacement placement;
    placement.ShowCmd = window.Maximized ? TWindowPlacement::ShowMaximized : TWindowPlacement::ShowNormal;
    placement.NormalPosition = window.Normal;
    settings.WriteBinary(Section, window.Name, placement.Encode());
}
