#pragma once
// Remembering where each window was: the stored record, the test whether it is still on a monitor, and
// centring. Pure logic on rectangles; the widget side lives in fFormPlacement.

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

class TSettingsStore;

// The Windows window-placement record (44 bytes, little-endian), the form in which window positions have
// always been stored.
struct TWindowPlacement {
    static constexpr int Size = 44;
    static constexpr quint32 ShowNormal = 1;
    static constexpr quint32 ShowMaximized = 3;

    quint32 Flags = 0;
    quint32 ShowCmd = ShowNormal;
    QPoint MinPosition{-1, -1};
    QPoint MaxPosition{-1, -1};
    QRect NormalPosition;  // as a Windows rectangle: right = x + width, bottom = y + height

    QByteArray Encode() const;
    // Nothing when the bytes are not such a record or hold coordinates far beyond any desktop.
    static std::optional<TWindowPlacement> Decode(const QByteArray& bytes);

    bool operator==(const TWindowPlacement&) const = default;
};

// What the placement logic needs to know about a window, and what it decides for it.
struct TWindowState {
    QString Name;  // the object name; the stored value is named after it
    QRect Normal;  // the rectangle when neither maximised nor minimised
    bool Maximized = false;
    bool Resizable = true;
};

class TFormPlacement {
public:
    // The placement stored for `window`, or the window centred on `screen` when there is none or it would
    // lie off the `monitors`. A fixed-size window keeps its own size and only takes the position.
    static TWindowState RestorePlacement(const TSettingsStore& settings, const TWindowState& window,
                                         const QList<QRect>& monitors, const QRect& screen);
    static void SavePlacement(TSettingsStore& settings, const TWindowState& window);

    // Maximised, or all four corners of the normal rectangle on some monitor (each without its last row
    // and column).
    static bool IsVisible(const TWindowPlacement& placement, const QList<QRect>& monitors);

    static QRect CenterOnScreen(const QRect& form, const QRect& screen);
    // Centred over the owner but not left of or above the screen; when the form does not fit, its right
    // and bottom edges stay on the screen instead. Without an owner, CenterOnScreen.
    static QRect CenterOver(const QRect& form, const std::optional<QRect>& owner, const QRect& screen);
};
