// A progress bar of 0 to 100 per cent, painted as a filled strip with the
// percentage over it. Assistive technology reads the percentage.
// Thread safety: the user-interface thread only.
#pragma once

#include <QColor>
#include <QWidget>

class CProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit CProgressBar(QWidget* parent = nullptr);

    // Clamped to 0..100.
    void setPercent(int percent);
    int percent() const { return m_percent; }
    void setBarColor(const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_percent = 0;
    QColor m_bar = QColor(0, 0, 190);
};

int clampPercent(int percent);
// Width of the filled part of a strip `width` pixels wide, halves rounded up.
int progressFillWidth(int percent, int width);
QString percentText(int percent);
