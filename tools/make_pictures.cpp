// Draws the pictures the synth panel shows: the operator-connection schematics and the waveform
// menu icons. They are generated at build time so that no binary artwork lives in the repository
// and the whole set can be restyled in one place.
//
// Usage: vorpline-make-pictures OUTDIR   (writes OUTDIR/small/cnt0..7.jpg and wave0..7.png)

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "WaveformShapes.h"

namespace {

constexpr QRgb kPanel = 0xecebe8;
constexpr QRgb kInk = 0x34363a;
constexpr QRgb kDivider = 0xb4b1aa;
constexpr QRgb kModulatorFill = 0xffffff;
constexpr QRgb kCarrierFill = 0xc9dcf2;
constexpr QRgb kWaveAxis = 0xbdbab3;
constexpr QRgb kWaveInk = 0x1f4e8c;

// Schematic geometry, in pixels. Chosen so that four boxes in a row plus the feedback loop and the
// output bus fit the left part at 1:1 and the digits stay legible.
constexpr int kSchematicWidth = 240;
constexpr int kSchematicHeight = 120;
constexpr int kDividerX = 156;
constexpr int kBoxW = 20;
constexpr int kBoxH = 18;
constexpr int kArrowGap = 16;
constexpr int kFeedbackTap = 4;
constexpr int kBusGap = 10;
constexpr int kRowGap = 10;
constexpr int kLoopSide = 5;
constexpr int kLoopRise = 7;
constexpr int kBusTail = 17;
constexpr double kHeadLength = 5.0;
constexpr double kHeadHalfWidth = 3.0;

constexpr int kWaveWidth = 48;
constexpr int kWaveHeight = 24;

// A chain lists operators from the outermost modulator to the carrier that is heard.
using Chain = std::vector<int>;

// Bits 0-1 select how operators 1-4 are connected, bit 2 whether 5 modulates 6 or both are heard.
std::vector<Chain> chainsOneToFour(int connection) {
    switch (connection & 3) {
    case 0:
        return {{1, 2, 3, 4}};
    case 1:
        return {{1}, {2, 3, 4}};
    case 2:
        return {{1, 2}, {3, 4}};
    default:
        return {{1}, {2, 3}, {4}};
    }
}

std::vector<Chain> chainsFiveSix(int connection) {
    if (connection & 4) {
        return {{5}, {6}};
    }
    return {{5, 6}};
}

bool hasFeedback(int op) {
    return op == 1 || op == 5;
}

// Pixel centres, so that one-pixel lines on integer coordinates come out crisp.
QPointF px(int x, int y) {
    return {x + 0.5, y + 0.5};
}

void arrowHead(QPainter& p, QPointF tip, QPointF direction) {
    const double len = std::hypot(direction.x(), direction.y());
    const QPointF u(direction.x() / len, direction.y() / len);
    const QPointF n(-u.y(), u.x());
    const QPointF base = tip - u * kHeadLength;
    const QPointF head[3] = {tip, base + n * kHeadHalfWidth, base - n * kHeadHalfWidth};
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kInk));
    p.drawPolygon(head, 3);
    p.restore();
}

// Stops the shaft where the head starts so the tip stays sharp instead of being blunted by the
// line end.
void arrow(QPainter& p, QPointF from, QPointF tip) {
    const QPointF d = tip - from;
    const double len = std::hypot(d.x(), d.y());
    p.drawLine(from, tip - d * ((kHeadLength - 1.0) / len));
    arrowHead(p, tip, d);
}

void junction(QPainter& p, QPointF at) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kInk));
    p.drawEllipse(at, 1.8, 1.8);
    p.restore();
}

void operatorBox(QPainter& p, int x, int y, int op, bool carrier) {
    p.save();
    p.setBrush(QColor(carrier ? kCarrierFill : kModulatorFill));
    const QRectF box(x + 0.5, y + 0.5, kBoxW, kBoxH);
    p.drawRoundedRect(box, 2.0, 2.0);
    p.drawText(box, Qt::AlignCenter, QString::number(op));
    p.restore();
}

// A loop from the operator's output back into its own input: tapped just after the box, over
// the top and down into the left side.
void feedbackLoop(QPainter& p, int boxX, int boxY) {
    const int cy = boxY + kBoxH / 2;
    const int tapX = boxX + kBoxW + kFeedbackTap;
    const int topY = boxY - kLoopRise;
    const int leftX = boxX - kLoopSide;
    QPainterPath path(px(tapX, cy));
    path.lineTo(px(tapX, topY));
    path.lineTo(px(leftX, topY));
    path.lineTo(px(leftX, cy));
    p.save();
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.restore();
    arrow(p, px(leftX, cy), QPointF(boxX + 0.5, cy + 0.5));
    junction(p, px(tapX, cy));
}

int rowsHeight(int rows) {
    return rows * kBoxH + (rows - 1) * kRowGap;
}

// Both groups share one band of rows and one output level, so the two output arrows line up;
// the band is sized for the group with more rows and the whole drawing is centred vertically.
struct Band {
    int top;
    int height;
    int outputTip;
};

Band band(int rows) {
    const int height = rowsHeight(rows);
    const int drawing = kLoopRise + height + kBusTail;
    const int top = (kSchematicHeight - drawing) / 2 + kLoopRise;
    return {top, height, top + height + kBusTail};
}

// Lays the chains out as rows flowing left to right with the carriers right-aligned, so every
// carrier meets the same vertical bus that carries the group's sound down to the output arrow.
void drawGroup(QPainter& p, int left, int right, const Band& b, const std::vector<Chain>& chains) {
    int columns = 0;
    for (const Chain& c : chains) {
        columns = std::max(columns, static_cast<int>(c.size()));
    }
    const int rows = static_cast<int>(chains.size());
    const int boxesWidth = columns * kBoxW + (columns - 1) * kArrowGap;
    const int contentWidth = kLoopSide + boxesWidth + kBusGap;
    const int x0 = left + (right - left - contentWidth) / 2 + kLoopSide;
    const int busX = x0 + boxesWidth + kBusGap;
    const int y0 = b.top + (b.height - rowsHeight(rows)) / 2;

    auto rowY = [&](int r) { return y0 + r * (kBoxH + kRowGap); };
    auto colX = [&](int c) { return x0 + c * (kBoxW + kArrowGap); };

    for (int r = 0; r < rows; ++r) {
        const Chain& chain = chains[r];
        const int y = rowY(r);
        const int cy = y + kBoxH / 2;
        const int first = columns - static_cast<int>(chain.size());
        for (size_t i = 0; i < chain.size(); ++i) {
            const int col = first + static_cast<int>(i);
            const int x = colX(col);
            const bool carrier = i + 1 == chain.size();
            if (!carrier) {
                arrow(p, px(x + kBoxW, cy), QPointF(colX(col + 1) + 0.5, cy + 0.5));
            } else {
                p.drawLine(px(x + kBoxW, cy), px(busX, cy));
            }
            if (hasFeedback(chain[i])) {
                feedbackLoop(p, x, y);
            }
        }
        // Boxes last so that they sit cleanly over any line ends.
        for (size_t i = 0; i < chain.size(); ++i) {
            operatorBox(p, colX(first + static_cast<int>(i)), y, chain[i], i + 1 == chain.size());
        }
        if (r > 0) {
            junction(p, px(busX, cy));
        }
    }

    const int busTop = rowY(0) + kBoxH / 2;
    arrow(p, px(busX, busTop), QPointF(busX + 0.5, b.outputTip + 0.5));
}

QImage schematic(int connection) {
    QImage img(kSchematicWidth, kSchematicHeight, QImage::Format_RGB32);
    img.fill(QColor(kPanel));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QPen pen{QColor(kInk)};
    pen.setWidthF(1.0);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    p.setFont(font);

    const std::vector<Chain> low = chainsOneToFour(connection);
    const std::vector<Chain> high = chainsFiveSix(connection);
    const Band b = band(static_cast<int>(std::max(low.size(), high.size())));
    drawGroup(p, 0, kDividerX, b, low);
    drawGroup(p, kDividerX + 1, kSchematicWidth, b, high);

    p.save();
    QPen dividerPen{QColor(kDivider)};
    dividerPen.setWidthF(1.0);
    p.setPen(dividerPen);
    p.drawLine(px(kDividerX, 6), px(kDividerX, kSchematicHeight - 7));
    p.restore();

    p.end();
    return img;
}

QImage waveIcon(int wave) {
    QImage img(kWaveWidth, kWaveHeight, QImage::Format_RGB32);
    img.fill(QColor(kPanel));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // The axis, the full-scale levels and the half-period point all fall on pixel centres, so the
    // flat and vertical stretches of the square and pulse shapes are drawn crisp, not smeared
    // over two pixels.
    const double left = 3.0;
    const double right = kWaveWidth - 4.0;
    const double mid = kWaveHeight / 2.0 - 0.5;
    const double amp = kWaveHeight / 2.0 - 3.0;

    QPen axisPen{QColor(kWaveAxis)};
    axisPen.setWidthF(1.0);
    p.setPen(axisPen);
    p.drawLine(QPointF(1.0, mid), QPointF(kWaveWidth - 1.0, mid));

    // Dense sampling keeps the jumps of the square and pulse shapes visually vertical without
    // having to locate the discontinuities, and resolves the pulse's spikes (its level halves
    // every 1/32 of a half period).
    constexpr int samples = 960;
    QPainterPath path;
    for (int i = 0; i <= samples; ++i) {
        const double phase = vorpline::pictures::PictureStartPhase(wave) +
                             std::min(static_cast<double>(i) / samples, 0.999999);
        const QPointF pt(left + (right - left) * i / samples,
                         mid - amp * vorpline::pictures::WaveformLevel(wave, phase));
        if (i == 0) {
            path.moveTo(pt);
        } else {
            path.lineTo(pt);
        }
    }
    QPen wavePen{QColor(kWaveInk)};
    wavePen.setWidthF(1.5);
    wavePen.setCapStyle(Qt::FlatCap);
    wavePen.setJoinStyle(Qt::RoundJoin);
    p.setPen(wavePen);
    p.drawPath(path);

    p.end();
    return img;
}

bool save(const QImage& img, const QString& path, const char* format, int quality) {
    if (!img.save(path, format, quality)) {
        std::fprintf(stderr, "vorpline-make-pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vorpline-make-pictures OUTDIR\n");
        return 2;
    }
    // Runs in builds without a display; text rendering still needs a QGuiApplication.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
    QGuiApplication app(argc, argv);

    const QString dir = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("small"));
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "vorpline-make-pictures: cannot create %s\n", qPrintable(dir));
        return 1;
    }

    bool ok = true;
    for (int n = 0; n < 8; ++n) {
        ok &= save(schematic(n), dir + QStringLiteral("/cnt%1.jpg").arg(n), "JPEG", 90);
        ok &= save(waveIcon(n), dir + QStringLiteral("/wave%1.png").arg(n), "PNG", -1);
    }
    return ok ? 0 : 1;
}
