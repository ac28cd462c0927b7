#include "app/CSplashDlg.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr int RES_SPLASH = 187;
constexpr int PICTURE_WIDTH = 360;
constexpr const char* PRODUCT = "NIMO - LPG/CNG Injection System";

} // namespace

CSplashDlg::CSplashDlg(const QString& text, QWidget* parent) : CColorMgrDlg(RES_SPLASH, parent)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle("Nimo");
    auto* label = new QLabel(text, this);
    label->setObjectName("1194");
    label->setAlignment(Qt::AlignCenter);
    auto* image = new QLabel(this);
    image->setPixmap(picture(PICTURE_WIDTH));
    image->setAccessibleName(PRODUCT);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(image);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    showPainted();
}

QPixmap CSplashDlg::picture(int width)
{
    const int height = width * 4 / 9;
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(0x1d, 0x4e, 0x89));
    sky.setColorAt(1, QColor(0x0b, 0x24, 0x47));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(0, 0, width, height), height * 0.08, height * 0.08);

    // A gas flame: blue at the root, as a clean LPG flame burns.
    const qreal u = height / 10.0;
    const QPointF root(height * 0.5, height * 0.85);
    QPainterPath outer(root);
    outer.cubicTo(root + QPointF(-3.2 * u, -1.2 * u), root + QPointF(-1.2 * u, -5 * u),
                  root + QPointF(0.2 * u, -7.2 * u));
    outer.cubicTo(root + QPointF(0.6 * u, -4.6 * u), root + QPointF(3.4 * u, -3.4 * u), root);
    QLinearGradient fire(root, root + QPointF(0, -7 * u));
    fire.setColorAt(0, QColor(0x3a, 0xa0, 0xff));
    fire.setColorAt(0.35, QColor(0xff, 0xb0, 0x20));
    fire.setColorAt(1, QColor(0xff, 0x60, 0x10));
    p.setBrush(fire);
    p.drawPath(outer);
    QPainterPath inner(root);
    inner.cubicTo(root + QPointF(-1.4 * u, -0.8 * u), root + QPointF(-0.4 * u, -2.8 * u),
                  root + QPointF(0.2 * u, -3.8 * u));
    inner.cubicTo(root + QPointF(0.4 * u, -2.4 * u), root + QPointF(1.6 * u, -1.6 * u), root);
    p.setBrush(QColor(0xff, 0xf0, 0xb0));
    p.drawPath(inner);

    p.setPen(Qt::white);
    QFont title("Sans Serif");
    title.setBold(true);
    title.setPixelSize(qRound(height * 0.38));
    p.setFont(title);
    const QRectF words(height * 0.95, 0, width - height, height * 0.68);
    p.drawText(words, Qt::AlignLeft | Qt::AlignBottom, "NIMO");
    // Whatever font stands in for the one asked for, the line must fit whole.
    const QString subtitle = "LPG/CNG Injection System";
    const QRectF under(height * 0.97, height * 0.7, width - height * 1.05, height * 0.2);
    QFont line("Sans Serif");
    int size = qRound(height * 0.1);
    do
        line.setPixelSize(size--);
    while (size > 6 && QFontMetrics(line).horizontalAdvance(subtitle) > under.width());
    p.setFont(line);
    p.setPen(QColor(0xc8, 0xdc, 0xf0));
    p.drawText(under, Qt::AlignLeft | Qt::AlignTop, subtitle);
    return pixmap;
}
