// Draws the client's artwork: every image under resources/common/images.
// Usage: velmora-artwork <resources/common folder>
// Each PNG is painted once per scale (name.png and name@2x.png); the
// loading animation is painted frame by frame and joined into a GIF with
// ImageMagick's convert.

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QTemporaryDir>
#include <QtMath>

#include <cstdio>
#include <functional>

namespace {

const QColor navy(0x25, 0x28, 0x47);
const QColor blue(0x0C, 0x80, 0xBE);
const QColor blueLight(0x2E, 0x9F, 0xDB);
const QColor green(0x1F, 0xA8, 0x5A);
const QColor greenLight(0x3C, 0xC7, 0x78);
const QColor red(0xE0, 0x45, 0x3A);
const QColor panel(234, 243, 246);
const QColor menuText(0x7e, 0x80, 0x95);
const QColor menuActive(0x4F, 0xB8, 0xF0);
const QColor badge(0x1E, 0x22, 0x33);
const QColor grey(0x9A, 0xA1, 0xB3);

using Painter = std::function<void(QPainter &, const QSizeF &)>;

QString outputRoot;
int failures = 0;

void saveImage(const QImage &image, const QString &relativePath, const char *format = nullptr, int quality = -1)
{
    const QString path = outputRoot + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool ok = image.save(path, format, quality);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(relativePath));
    if (!ok)
        ++failures;
}

QImage paint(const QSize &size, qreal scale, const Painter &draw, const QColor &fill = Qt::transparent)
{
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
    draw(p, QSizeF(size));
    return image;
}

// Writes images/<name>.png at the shown size and images/<name>@2x.png at
// twice that.
void png(const QString &name, const QSize &size, const Painter &draw)
{
    saveImage(paint(size, 1, draw), QStringLiteral("images/%1.png").arg(name));
    saveImage(paint(size, 2, draw), QStringLiteral("images/%1@2x.png").arg(name));
}

QPen roundPen(const QColor &color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QFont badgeFont(qreal pixelSize)
{
    QFont font(QStringLiteral("Quicksand"));
    font.setPixelSize(qRound(pixelSize));
    font.setBold(true);
    return font;
}

// --- glyphs, drawn into a square box ---------------------------------------

void globe(QPainter &p, const QRectF &box, const QColor &color, qreal width)
{
    const QPointF c = box.center();
    const qreal r = box.width() / 2;
    p.setPen(roundPen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    p.drawEllipse(c, r * 0.42, r);
    p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
    const qreal dy = r * 0.5;
    const qreal dx = r * qSqrt(1 - 0.25);
    p.drawLine(QPointF(c.x() - dx, c.y() - dy), QPointF(c.x() + dx, c.y() - dy));
    p.drawLine(QPointF(c.x() - dx, c.y() + dy), QPointF(c.x() + dx, c.y() + dy));
}

void gear(QPainter &p, const QRectF &box, const QColor &color)
{
    const QPointF c = box.center();
    const qreal r = box.width() / 2;
    QPainterPath body;
    body.addEllipse(c, r * 0.72, r * 0.72);
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(i * 45);
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-r * 0.2, -r, r * 0.4, r * 0.5), r * 0.08, r * 0.08);
        body = body.united(t.map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(c, r * 0.32, r * 0.32);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(body.subtracted(hole));
}

void infoCircle(QPainter &p, const QRectF &box, const QColor &color, qreal width)
{
    const QPointF c = box.center();
    const qreal r = box.width() / 2;
    p.setPen(roundPen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    p.drawLine(QPointF(c.x(), c.y() - r * 0.1), QPointF(c.x(), c.y() + r * 0.5));
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QPointF(c.x(), c.y() - r * 0.45), width * 0.75, width * 0.75);
}

void questionCircle(QPainter &p, const QRectF &box, const QColor &color, qreal width)
{
    const QPointF c = box.center();
    const qreal r = box.width() / 2;
    p.setPen(roundPen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    QPainterPath hook;
    const qreal h = r * 0.32;
    hook.arcMoveTo(QRectF(c.x() - h, c.y() - r * 0.62, 2 * h, 2 * h), 160);
    hook.arcTo(QRectF(c.x() - h, c.y() - r * 0.62, 2 * h, 2 * h), 160, -230);
    hook.quadTo(QPointF(c.x(), c.y() + r * 0.05), QPointF(c.x(), c.y() + r * 0.22));
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QPointF(c.x(), c.y() + r * 0.55), width * 0.75, width * 0.75);
}

void person(QPainter &p, const QRectF &box, const QColor &color, qreal width)
{
    const qreal w = box.width();
    p.setPen(roundPen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(box.center().x(), box.top() + w * 0.3), w * 0.2, w * 0.2);
    QPainterPath body;
    body.moveTo(box.left() + w * 0.1, box.bottom() - w * 0.04);
    body.cubicTo(QPointF(box.left() + w * 0.12, box.top() + w * 0.58),
                 QPointF(box.right() - w * 0.12, box.top() + w * 0.58),
                 QPointF(box.right() - w * 0.1, box.bottom() - w * 0.04));
    p.drawPath(body);
}

void door(QPainter &p, const QRectF &box, const QColor &color, qreal width)
{
    const qreal w = box.width();
    const qreal x = box.left();
    const qreal y = box.top();
    p.setPen(roundPen(color, width));
    p.setBrush(Qt::NoBrush);
    QPainterPath frame;
    frame.moveTo(x + w * 0.45, y + w * 0.05);
    frame.lineTo(x + w * 0.05, y + w * 0.05);
    frame.lineTo(x + w * 0.05, y + w * 0.95);
    frame.lineTo(x + w * 0.45, y + w * 0.95);
    p.drawPath(frame);
    p.drawLine(QPointF(x + w * 0.35, y + w * 0.5), QPointF(x + w * 0.95, y + w * 0.5));
    QPainterPath head;
    head.moveTo(x + w * 0.75, y + w * 0.3);
    head.lineTo(x + w * 0.95, y + w * 0.5);
    head.lineTo(x + w * 0.75, y + w * 0.7);
    p.drawPath(head);
}

void clock(QPainter &p, const QRectF &box, const QColor &color, qreal width)
{
    const QPointF c = box.center();
    const qreal r = box.width() / 2;
    p.setPen(roundPen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    p.drawLine(c, QPointF(c.x(), c.y() - r * 0.6));
    p.drawLine(c, QPointF(c.x() + r * 0.45, c.y() + r * 0.25));
}

// An arrow pointing down (down = true) or up, centred in box.
void verticalArrow(QPainter &p, const QRectF &box, const QColor &color, qreal width, bool down)
{
    const qreal w = box.width();
    const qreal cx = box.center().x();
    const qreal tip = down ? box.bottom() : box.top();
    const qreal tail = down ? box.top() : box.bottom();
    const qreal back = down ? -w * 0.4 : w * 0.4;
    p.setPen(roundPen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(cx, tail), QPointF(cx, tip));
    QPainterPath head;
    head.moveTo(cx - w * 0.4, tip + back);
    head.lineTo(cx, tip);
    head.lineTo(cx + w * 0.4, tip + back);
    p.drawPath(head);
}

void power(QPainter &p, const QPointF &c, qreal r, const QColor &color, qreal width)
{
    p.setPen(roundPen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 55 * 16, -290 * 16);
    p.drawLine(QPointF(c.x(), c.y() - r * 1.2), QPointF(c.x(), c.y() - r * 0.1));
}

void roundedShadow(QPainter &p, const QRectF &rect, qreal radius, int layers, int alpha)
{
    p.setPen(Qt::NoPen);
    for (int i = layers; i > 0; --i) {
        QColor shade = navy;
        shade.setAlpha(alpha / layers);
        p.setBrush(shade);
        const qreal grow = i * 0.8;
        p.drawRoundedRect(rect.adjusted(-grow, -grow + 1, grow, grow + 1), radius + grow, radius + grow);
    }
}

// --- the images ------------------------------------------------------------

void drawLogo(QPainter &p, const QSizeF &s)
{
    const qreal w = s.width();
    QPainterPath shield;
    shield.moveTo(w * 0.5, w * 0.06);
    shield.cubicTo(QPointF(w * 0.66, w * 0.16), QPointF(w * 0.8, w * 0.18), QPointF(w * 0.88, w * 0.18));
    shield.cubicTo(QPointF(w * 0.9, w * 0.56), QPointF(w * 0.76, w * 0.8), QPointF(w * 0.5, w * 0.95));
    shield.cubicTo(QPointF(w * 0.24, w * 0.8), QPointF(w * 0.1, w * 0.56), QPointF(w * 0.12, w * 0.18));
    shield.cubicTo(QPointF(w * 0.2, w * 0.18), QPointF(w * 0.34, w * 0.16), QPointF(w * 0.5, w * 0.06));
    QLinearGradient gradient(0, 0, 0, w);
    gradient.setColorAt(0, blueLight);
    gradient.setColorAt(1, blue.darker(125));
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    p.drawPath(shield);
    p.setPen(roundPen(Qt::white, w * 0.09));
    QPainterPath check;
    check.moveTo(w * 0.32, w * 0.47);
    check.lineTo(w * 0.46, w * 0.63);
    check.lineTo(w * 0.7, w * 0.33);
    p.drawPath(check);
}

void drawPowerButton(QPainter &p, const QSizeF &s, const QColor &light, const QColor &dark)
{
    const QPointF c(s.width() / 2, 46);
    const qreal r = 32;
    // a faint shadow just below the button
    QRadialGradient floor(QPointF(c.x(), 86), 24);
    QColor shade = navy;
    shade.setAlpha(45);
    floor.setColorAt(0, shade);
    shade.setAlpha(0);
    floor.setColorAt(1, shade);
    p.setPen(Qt::NoPen);
    p.setBrush(floor);
    p.drawEllipse(QPointF(c.x(), 86), 24, 5);
    // outer ring and face
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawEllipse(c, r + 2, r + 2);
    QLinearGradient face(0, c.y() - r, 0, c.y() + r);
    face.setColorAt(0, light);
    face.setColorAt(1, dark);
    p.setBrush(face);
    p.drawEllipse(c, r - 1, r - 1);
    power(p, c + QPointF(0, 1.5), 13, Qt::white, 4.2);
}

void drawEnter(QPainter &p, const QSizeF &s)
{
    p.fillRect(QRectF(QPointF(0, 0), s), blue);
    p.setPen(roundPen(Qt::white, 3));
    p.drawLine(QPointF(13, 22), QPointF(30, 22));
    QPainterPath head;
    head.moveTo(23, 15);
    head.lineTo(30, 22);
    head.lineTo(23, 29);
    p.drawPath(head);
}

void drawStoreBadge(QPainter &p, const QSizeF &s, const QString &top, const QString &bottom,
                    const std::function<void(QPainter &, const QRectF &)> &glyph)
{
    const QRectF r(1, 1, s.width() - 2, s.height() - 2);
    p.setPen(Qt::NoPen);
    p.setBrush(badge);
    p.drawRoundedRect(r, 8, 8);
    glyph(p, QRectF(s.width() / 2 - 7, 4, 14, 14));
    p.setPen(Qt::white);
    p.setFont(badgeFont(9));
    p.drawText(QRectF(0, 18, s.width(), 11), Qt::AlignCenter, top);
    p.drawText(QRectF(0, 28, s.width(), 11), Qt::AlignCenter, bottom);
}

void phoneGlyph(QPainter &p, const QRectF &box)
{
    const QRectF body(box.center().x() - 4.5, box.top(), 9, box.height());
    p.setPen(roundPen(Qt::white, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body, 2, 2);
    p.drawLine(QPointF(body.center().x() - 1.5, body.bottom() - 2.2),
               QPointF(body.center().x() + 1.5, body.bottom() - 2.2));
}

void playGlyph(QPainter &p, const QRectF &box)
{
    QPainterPath triangle;
    triangle.moveTo(box.left() + 2.5, box.top() + 0.5);
    triangle.lineTo(box.right() - 0.5, box.center().y());
    triangle.lineTo(box.left() + 2.5, box.bottom() - 0.5);
    triangle.closeSubpath();
    QLinearGradient g(box.topLeft(), box.bottomRight());
    g.setColorAt(0, QColor(0x3C, 0xC7, 0x78));
    g.setColorAt(1, QColor(0x2E, 0x9F, 0xDB));
    p.setPen(QPen(QColor(255, 255, 255, 200), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(triangle);
}

void drawLogIcon(QPainter &p, const QSizeF &s, const QColor &color, const std::function<void(QPainter &)> &glyph)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(1, 1, s.width() - 2, s.height() - 2));
    glyph(p);
}

void drawNoConnection(QPainter &p, const QSizeF &s)
{
    const QRectF box(6, 6, s.width() - 12, s.height() - 12);
    globe(p, box, grey, 2.6);
    // a slash with a gap of panel colour either side so it reads over the globe
    p.setPen(roundPen(panel, 7));
    p.drawLine(QPointF(8, 8), QPointF(s.width() - 8, s.height() - 8));
    p.setPen(roundPen(red, 3));
    p.drawLine(QPointF(8, 8), QPointF(s.width() - 8, s.height() - 8));
}

void drawPopup(QPainter &p, const QSizeF &s)
{
    const QRectF card(4, 3, s.width() - 8, s.height() - 8);
    roundedShadow(p, card, 10, 4, 60);
    p.setPen(QPen(QColor(12, 128, 190, 50), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(card, 10, 10);
}

void drawSwitch(QPainter &p, const QSizeF &s, bool on)
{
    const QRectF track(1, 1, s.width() - 2, s.height() - 2);
    const qreal radius = track.height() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(on ? blue : QColor(0xC5, 0xCB, 0xD6));
    p.drawRoundedRect(track, radius, radius);
    const qreal knobR = radius - 2;
    const QPointF knob(on ? track.right() - radius : track.left() + radius, track.center().y());
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(knob + QPointF(0, 0.6), knobR, knobR);
    p.setBrush(Qt::white);
    p.drawEllipse(knob, knobR, knobR);
}

void drawPlaceholderFlag(QPainter &p, const QSizeF &s)
{
    p.fillRect(QRectF(QPointF(0, 0), s), QColor(0x5B, 0x92, 0xE5));
    const qreal d = s.height() * 0.62;
    globe(p, QRectF(s.width() / 2 - d / 2, s.height() / 2 - d / 2, d, d), Qt::white, 2);
    // two branches around the globe
    p.setPen(roundPen(Qt::white, 1.6));
    const QRectF arc(s.width() / 2 - d * 0.7, s.height() / 2 - d * 0.7, d * 1.4, d * 1.4);
    p.drawArc(arc, 190 * 16, 70 * 16);
    p.drawArc(arc, 280 * 16, 70 * 16);
}

QImage drawBackground(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(250, 255, 255));
    g.setColorAt(1, panel);
    p.fillRect(image.rect(), g);
    // faint rings, like a radar sweep from the lower right corner
    const QPointF origin(size.width() * 0.85, size.height() * 1.05);
    for (int i = 1; i <= 9; ++i) {
        p.setPen(QPen(QColor(12, 128, 190, 16), 2));
        p.setBrush(Qt::NoBrush);
        const qreal r = i * size.height() * 0.12;
        p.drawEllipse(origin, r, r);
    }
    return image;
}

// One frame of the loading animation: twelve dots in a ring, the brightest
// one moving clockwise.
QImage spinnerFrame(int frame, int frames)
{
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const int dots = 12;
    for (int i = 0; i < dots; ++i) {
        const int age = (frame * dots / frames - i + dots) % dots;
        const qreal strength = 1.0 - age / qreal(dots);
        const qreal angle = qDegreesToRadians(i * 360.0 / dots - 90);
        const QPointF c(32 + 22 * qCos(angle), 32 + 22 * qSin(angle));
        QColor color = blue;
        color.setAlphaF(0.15 + 0.85 * strength);
        p.setBrush(color);
        const qreal r = 2.6 + 2.4 * strength;
        p.drawEllipse(c, r, r);
    }
    p.end();
    // GIF has only on/off transparency: blend the soft edges against a colour
    // between the white and the pale panels the animation sits on.
    const QColor halo(0xF3, 0xF8, 0xFA);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(line[x]);
            if (a < 40) {
                line[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            const qreal f = a / 255.0;
            line[x] = qRgb(qRound(qRed(line[x]) * f + halo.red() * (1 - f)),
                           qRound(qGreen(line[x]) * f + halo.green() * (1 - f)),
                           qRound(qBlue(line[x]) * f + halo.blue() * (1 - f)));
        }
    }
    return image;
}

void writeAnimation()
{
    QTemporaryDir frameDir;
    const int frames = 12;
    QStringList arguments {QStringLiteral("-delay"), QStringLiteral("7"),        QStringLiteral("-loop"),
                           QStringLiteral("0"),      QStringLiteral("-dispose"), QStringLiteral("Background")};
    for (int i = 0; i < frames; ++i) {
        const QString path = frameDir.filePath(QStringLiteral("frame%1.png").arg(i, 2, 10, QLatin1Char('0')));
        spinnerFrame(i, frames).save(path);
        arguments << path;
    }
    const QString target = outputRoot + QStringLiteral("/images/Animations/DefaultMacLoadingAnimation.gif");
    QDir().mkpath(QFileInfo(target).absolutePath());
    arguments << target;
    const int rc = QProcess::execute(QStringLiteral("convert"), arguments);
    std::printf("%s images/Animations/DefaultMacLoadingAnimation.gif\n", rc == 0 ? "wrote" : "FAILED");
    if (rc != 0)
        ++failures;
}

void drawMenuIcons()
{
    struct MenuIcon
    {
        QString normal;
        QString active;
        std::function<void(QPainter &, const QColor &)> glyph;
    };
    const QRectF box(5, 5, 22, 22);
    const qreal w = 2.2;
    const QList<MenuIcon> icons {
        {QStringLiteral("ic_menu_main"), QStringLiteral("ic_menu_main_active"),
         [&](QPainter &p, const QColor &c) { globe(p, box, c, w); }},
        {QStringLiteral("ic_menu_settings"), QStringLiteral("ic_menu_settings_active"),
         [&](QPainter &p, const QColor &c) { gear(p, box, c); }},
        {QStringLiteral("ic_menu_about"), QStringLiteral("ic_menu_about_active"),
         [&](QPainter &p, const QColor &c) { infoCircle(p, box, c, w); }},
        {QStringLiteral("ic_menu_profile"), QStringLiteral("ic_menu_profile_active"),
         [&](QPainter &p, const QColor &c) { person(p, box, c, w); }},
        {QStringLiteral("ic_menu_help"), QStringLiteral("ic_menu copy 11"),
         [&](QPainter &p, const QColor &c) { questionCircle(p, box, c, w); }},
        {QStringLiteral("ic_menu_logout"), QStringLiteral("ic_menu_logout_active"),
         [&](QPainter &p, const QColor &c) { door(p, box, c, w); }},
    };
    for (const auto &icon : icons) {
        png(icon.normal, QSize(32, 32), [&](QPainter &p, const QSizeF &) { icon.glyph(p, menuText); });
        png(icon.active, QSize(32, 32), [&](QPainter &p, const QSizeF &) { icon.glyph(p, menuActive); });
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <resources/common folder>\n", argv[0]);
        return 2;
    }
    outputRoot = QString::fromLocal8Bit(argv[1]);
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/quicksand/Quicksand-Bold.ttf"));

    png(QStringLiteral("logo_update"), QSize(40, 40), drawLogo);
    drawMenuIcons();
    png(QStringLiteral("btn_disconnect"), QSize(72, 100),
        [](QPainter &p, const QSizeF &s) { drawPowerButton(p, s, blueLight, blue.darker(115)); });
    png(QStringLiteral("btn_connect"), QSize(72, 100),
        [](QPainter &p, const QSizeF &s) { drawPowerButton(p, s, greenLight, green.darker(110)); });
    png(QStringLiteral("btn_enter"), QSize(44, 44), drawEnter);
    png(QStringLiteral("app_store_btn"), QSize(44, 44), [](QPainter &p, const QSizeF &s) {
        drawStoreBadge(p, s, QStringLiteral("App"), QStringLiteral("Store"), phoneGlyph);
    });
    png(QStringLiteral("google_play_btn"), QSize(44, 44), [](QPainter &p, const QSizeF &s) {
        drawStoreBadge(p, s, QStringLiteral("Google"), QStringLiteral("Play"), playGlyph);
    });
    const QRectF logBox(9, 9, 16, 16);
    png(QStringLiteral("ic_log_ip"), QSize(34, 34), [&](QPainter &p, const QSizeF &s) {
        drawLogIcon(p, s, blue, [&](QPainter &q) { globe(q, logBox, Qt::white, 1.6); });
    });
    png(QStringLiteral("ic_log_session"), QSize(34, 34), [&](QPainter &p, const QSizeF &s) {
        drawLogIcon(p, s, blue, [&](QPainter &q) { clock(q, logBox, Qt::white, 1.8); });
    });
    png(QStringLiteral("ic_log_downloaded"), QSize(34, 34), [&](QPainter &p, const QSizeF &s) {
        drawLogIcon(p, s, green, [&](QPainter &q) { verticalArrow(q, logBox, Qt::white, 2.2, true); });
    });
    png(QStringLiteral("ic_log_sent"), QSize(34, 34), [&](QPainter &p, const QSizeF &s) {
        drawLogIcon(p, s, red, [&](QPainter &q) { verticalArrow(q, logBox, Qt::white, 2.2, false); });
    });
    png(QStringLiteral("ic_no_connection"), QSize(48, 48), drawNoConnection);
    png(QStringLiteral("popup"), QSize(328, 86), drawPopup);
    png(QStringLiteral("switch_on"), QSize(44, 20), [](QPainter &p, const QSizeF &s) { drawSwitch(p, s, true); });
    png(QStringLiteral("switch_off"), QSize(44, 20), [](QPainter &p, const QSizeF &s) { drawSwitch(p, s, false); });
    // The placeholder flag is only used in its double size (64 x 48 shown).
    saveImage(paint(QSize(64, 48), 2, drawPlaceholderFlag), QStringLiteral("images/Flags/UN@2x.png"));
    saveImage(drawBackground(QSize(800, 600)), QStringLiteral("images/about_bg.jpg"), "JPG", 92);
    writeAnimation();

    return failures == 0 ? 0 : 1;
}
