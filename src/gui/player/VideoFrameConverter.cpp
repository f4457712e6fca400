#include "gui/player/VideoFrameConverter.h"

#include <QTransform>
#include <QVideoFrame>
#include <QVideoFrameFormat>

#include <algorithm>

namespace {

// Where the samples of one component are: its plane, the byte offset of the
// first sample in a line, the bytes from one sample to the next, and how many
// pixels share a sample across and down.
struct Component
{
    int plane = 0;
    int offset = 0;
    int step = 1;
    int shiftX = 0;
    int shiftY = 0;
};

// A YUV layout: the three components, the bytes per sample (1 or 2, little
// endian) and how far a sample is shifted right to make eight bits of it. A
// grey picture has its luma only, taken as it is.
struct Layout
{
    Component y, u, v;
    int sampleBytes = 1;
    int toEightBits = 0;
    bool grey = false;
};

// Y'CbCr to R'G'B' in fixed point (13 fraction bits).
struct Matrix
{
    int yScale, yOffset, rv, gu, gv, bu;
};

constexpr int kFractionBits = 13;

constexpr int fixedPoint(double value)
{
    return int(value * (1 << kFractionBits) + (value < 0 ? -0.5 : 0.5));
}

bool layoutOf(QVideoFrameFormat::PixelFormat format, Layout *layout)
{
    using F = QVideoFrameFormat;
    Layout l;
    switch (format) {
    case F::Format_YUV420P:
    case F::Format_YV12:
    case F::Format_YUV422P:
    case F::Format_YUV420P10: {
        const int shiftY = format == F::Format_YUV422P ? 0 : 1;
        const bool swapped = format == F::Format_YV12;
        l.y = {0, 0, 1, 0, 0};
        l.u = {swapped ? 2 : 1, 0, 1, 1, shiftY};
        l.v = {swapped ? 1 : 2, 0, 1, 1, shiftY};
        if (format == F::Format_YUV420P10) {
            l.sampleBytes = 2;
            l.toEightBits = 2;
            l.y.step = l.u.step = l.v.step = 2;
        }
        break;
    }
    case F::Format_NV12:
    case F::Format_NV21:
    case F::Format_P010:
    case F::Format_P016: {
        const int bytes = format == F::Format_NV12 || format == F::Format_NV21 ? 1 : 2;
        const bool swapped = format == F::Format_NV21;
        l.sampleBytes = bytes;
        l.toEightBits = bytes == 2 ? 8 : 0; // the high bits carry the value
        l.y = {0, 0, bytes, 0, 0};
        l.u = {1, swapped ? bytes : 0, 2 * bytes, 1, 1};
        l.v = {1, swapped ? 0 : bytes, 2 * bytes, 1, 1};
        break;
    }
    case F::Format_YUYV:
        l.y = {0, 0, 2, 0, 0};
        l.u = {0, 1, 4, 1, 0};
        l.v = {0, 3, 4, 1, 0};
        break;
    case F::Format_UYVY:
        l.y = {0, 1, 2, 0, 0};
        l.u = {0, 0, 4, 1, 0};
        l.v = {0, 2, 4, 1, 0};
        break;
    case F::Format_AYUV:
    case F::Format_AYUV_Premultiplied: // 4:4:4 pictures
        l.y = {0, 1, 4, 0, 0};
        l.u = {0, 2, 4, 0, 0};
        l.v = {0, 3, 4, 0, 0};
        break;
    case F::Format_Y8:
    case F::Format_Y16:
        l.grey = true;
        l.sampleBytes = format == F::Format_Y16 ? 2 : 1;
        l.toEightBits = format == F::Format_Y16 ? 8 : 0;
        l.y = {0, 0, l.sampleBytes, 0, 0};
        break;
    default:
        return false;
    }
    *layout = l;
    return true;
}

Matrix matrixOf(const QVideoFrameFormat &format)
{
    QVideoFrameFormat::ColorSpace space = format.colorSpace();
    if (space == QVideoFrameFormat::ColorSpace_Undefined ||
        space == QVideoFrameFormat::ColorSpace_AdobeRgb) {
        // Untagged: high definition is BT.709, smaller pictures BT.601.
        space = format.frameHeight() > 576 ? QVideoFrameFormat::ColorSpace_BT709
                                           : QVideoFrameFormat::ColorSpace_BT601;
    }
    double kr = 0.299, kb = 0.114;
    if (space == QVideoFrameFormat::ColorSpace_BT709) {
        kr = 0.2126;
        kb = 0.0722;
    } else if (space == QVideoFrameFormat::ColorSpace_BT2020) {
        kr = 0.2627;
        kb = 0.0593;
    }
    const bool full = format.colorRange() == QVideoFrameFormat::ColorRange_Full;
    const double yScale = full ? 1.0 : 255.0 / 219.0;
    const double cScale = full ? 1.0 : 255.0 / 224.0;
    const double kg = 1.0 - kr - kb;
    return {fixedPoint(yScale),
            full ? 0 : 16,
            fixedPoint(2 * (1 - kr) * cScale),
            fixedPoint(-2 * (1 - kb) * kb / kg * cScale),
            fixedPoint(-2 * (1 - kr) * kr / kg * cScale),
            fixedPoint(2 * (1 - kb) * cScale)};
}

inline int sampleAt(const uchar *line, const Component &c, int x, const Layout &l)
{
    const uchar *at = line + c.offset + (x >> c.shiftX) * c.step;
    const int value = l.sampleBytes == 2 ? int(at[0] | (at[1] << 8)) : int(at[0]);
    return std::min(255, value >> l.toEightBits);
}

inline uchar clamped(int value)
{
    return uchar(std::clamp(value >> kFractionBits, 0, 255));
}

QImage fromYuv(const QVideoFrame &frame, const Layout &l)
{
    const int width = frame.width();
    const int height = frame.height();
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const Matrix m = matrixOf(frame.surfaceFormat());
    const auto line = [&frame](const Component &c, int y) {
        return frame.bits(c.plane) + qsizetype(y >> c.shiftY) * frame.bytesPerLine(c.plane);
    };
    for (int y = 0; y < height; ++y) {
        const uchar *yLine = line(l.y, y);
        const uchar *uLine = l.grey ? nullptr : line(l.u, y);
        const uchar *vLine = l.grey ? nullptr : line(l.v, y);
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int sample = sampleAt(yLine, l.y, x, l);
            if (l.grey) {
                out[x] = qRgb(sample, sample, sample);
                continue;
            }
            const int luma = (sample - m.yOffset) * m.yScale;
            const int u = sampleAt(uLine, l.u, x, l) - 128;
            const int v = sampleAt(vLine, l.v, x, l) - 128;
            out[x] = qRgb(clamped(luma + m.rv * v), clamped(luma + m.gu * u + m.gv * v),
                          clamped(luma + m.bu * u));
        }
    }
    return image;
}

// Byte offsets of red, green and blue in a 32-bit pixel (alpha is dropped:
// a picture is opaque).
bool rgbOffsetsOf(QVideoFrameFormat::PixelFormat format, int offsets[3])
{
    using F = QVideoFrameFormat;
    const auto set = [offsets](int r, int g, int b) {
        offsets[0] = r;
        offsets[1] = g;
        offsets[2] = b;
        return true;
    };
    switch (format) {
    case F::Format_ARGB8888:
    case F::Format_ARGB8888_Premultiplied:
    case F::Format_XRGB8888:
        return set(1, 2, 3);
    case F::Format_BGRA8888:
    case F::Format_BGRA8888_Premultiplied:
    case F::Format_BGRX8888:
        return set(2, 1, 0);
    case F::Format_ABGR8888:
    case F::Format_XBGR8888:
        return set(3, 2, 1);
    case F::Format_RGBA8888:
    case F::Format_RGBX8888:
        return set(0, 1, 2);
    default:
        return false;
    }
}

QImage fromRgb(const QVideoFrame &frame, const int offsets[3])
{
    QImage image(frame.width(), frame.height(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    for (int y = 0; y < image.height(); ++y) {
        const uchar *in = frame.bits(0) + qsizetype(y) * frame.bytesPerLine(0);
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x, in += 4)
            out[x] = qRgb(in[offsets[0]], in[offsets[1]], in[offsets[2]]);
    }
    return image;
}

QImage mappedImage(const QVideoFrame &frame)
{
    const QVideoFrameFormat::PixelFormat format = frame.pixelFormat();
    if (format == QVideoFrameFormat::Format_Jpeg)
        return QImage::fromData(frame.bits(0), frame.mappedBytes(0))
            .convertToFormat(QImage::Format_RGB32);
    int offsets[3];
    if (rgbOffsetsOf(format, offsets))
        return fromRgb(frame, offsets);
    Layout layout;
    if (layoutOf(format, &layout))
        return fromYuv(frame, layout);
    return {};
}

// The frame's own turn and mirroring, and lines stored bottom up.
QImage oriented(QImage image, const QVideoFrame &frame)
{
    const bool upsideDown =
        frame.surfaceFormat().scanLineDirection() == QVideoFrameFormat::BottomToTop;
    if (frame.mirrored() || upsideDown)
        image = image.mirrored(frame.mirrored(), upsideDown);
    const int angle = int(frame.rotationAngle());
    if (angle != 0)
        image = image.transformed(QTransform().rotate(angle));
    return image;
}

} // namespace

QImage VideoFrameConverter::toImage(const QVideoFrame &frame)
{
    if (!frame.isValid())
        return {};
    QVideoFrame mapped(frame);
    QImage image;
    if (mapped.map(QVideoFrame::ReadOnly)) {
        image = mappedImage(mapped);
        mapped.unmap();
    }
    if (image.isNull()) {
        // A layout of its own (or a texture): Qt's converter, which may set
        // up a graphics context on this thread.
        image = frame.toImage().convertToFormat(QImage::Format_RGB32);
        return image; // already viewed, turned and mirrored
    }
    const QRect viewport = frame.surfaceFormat().viewport();
    if (viewport.isValid() && viewport != image.rect())
        image = image.copy(viewport.intersected(image.rect()));
    return oriented(std::move(image), frame);
}

QSize VideoFrameConverter::fittedSize(const QSize &picture, const QSize &area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    return picture.scaled(area, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage VideoFrameConverter::fittedImage(const QVideoFrame &frame, const QSize &area)
{
    const QImage image = toImage(frame);
    const QSize size = fittedSize(image.size(), area);
    if (size.isEmpty() || size == image.size())
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
