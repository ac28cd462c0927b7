// Base of the drawn components: a widget that takes the place of a static of
// a form and paints itself. It remembers what its last value change asked to
// repaint, so the repaint economy of a gauge can be checked.
// Thread safety: the user-interface thread only.
#pragma once

#include <vector>

#include <QFont>
#include <QRect>
#include <QWidget>

class QPainter;

class CCompCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CCompCtrl(QWidget* parent = nullptr);

    // Moves into the placeholder's parent, geometry and identifier (its
    // object name) and deletes the placeholder.
    void takePlaceOf(QWidget* placeholder);

    // The areas the latest value change asked to repaint; empty when it
    // changed nothing.
    const std::vector<QRect>& lastInvalidated() const { return m_lastInvalidated; }

protected:
    // Each value change starts a fresh record, then asks for its areas.
    void beginChange() { m_lastInvalidated.clear(); }
    void invalidate(const QRect& area);

    // Fills the whole control; the default is the panels' grey.
    virtual void eraseBackground(QPainter& p);
    virtual void paint(QPainter& p) = 0;
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<QRect> m_lastInvalidated;
};

// The grey every gauge panel stands on.
QColor panelColor();

// A font asked for by its face name, falling back to what is installed.
// A positive height is the character cell, a negative one the glyph height,
// both in design pixels before `scale`.
QFont componentFont(const char* face, int height, int weight, double scale);
