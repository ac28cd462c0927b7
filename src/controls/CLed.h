// A round lamp, lit in its colour or dark. Its owner gives it the text that
// says what it shows, in the current language; assistive technology reads that.
// Thread safety: the user-interface thread only.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

class CLed : public QWidget {
    Q_OBJECT
public:
    explicit CLed(QWidget* parent = nullptr);

    void setOn(bool on);
    bool isOn() const { return m_on; }
    void setColor(const QColor& color);
    QColor color() const { return m_color; }
    void setText(const QString& text);
    QString text() const { return accessibleName(); }

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_on = false;
    QColor m_color = Qt::green;
};

// The lamp: the largest circle centred in the widget, one pixel in from its edge.
QRect ledRect(const QSize& size);
// A dark lamp keeps a trace of its colour, so a row of lamps still tells
// which one is which.
QColor ledFace(const QColor& color, bool on);
