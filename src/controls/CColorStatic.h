// A static field with its own text and background colours that paints itself.
// A field named by a label reads to assistive technology as "label text".
// Thread safety: the user-interface thread only.
#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;

class CColorStatic : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    explicit CColorStatic(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    // Read instead of the empty text by assistive technology.
    void setSpokenText(const QString& spoken);
    void setColors(const QColor& text, const QColor& background);
    QColor textColor() const { return m_textColor; }
    QColor backgroundColor() const { return m_background; }
    void setAlignment(Qt::Alignment alignment);

    // The label that names this field; the field becomes its buddy.
    void setCaption(QLabel* caption);
    // After the caption's text changed (a new language).
    void refreshAccessibleName();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QString m_spoken;
    QColor m_textColor = Qt::black;
    QColor m_background = Qt::white;
    Qt::Alignment m_alignment = Qt::AlignCenter;
    QPointer<QLabel> m_caption;
};

// The pixel size at which a text `widthAtSize` pixels wide at `size` fits in
// `available` pixels: `size` when it fits, smaller otherwise, never below 1.
int fittingPixelSize(int size, int widthAtSize, int available);
// "RPM 2400": the caption, then the text; either alone when the other is empty.
QString accessibleFieldName(const QString& caption, const QString& text);
