#pragma once

#include <QImage>
#include <QSize>

class QVideoFrame;

// Turns decoded video frames into pictures on the processor, without a
// graphics context, so that it can run on any thread: the YUV layouts
// decoders hand out (planar, semi-planar, packed, 8 to 16 bits) with the
// frame's colour matrix and range, and the RGB ones as they are.
class VideoFrameConverter
{
public:
    // The frame's picture (its viewport, turned and mirrored as the frame
    // says), as RGB32; a null image for a frame that cannot be read.
    static QImage toImage(const QVideoFrame &frame);

    // The largest size of `picture`'s shape that fits into `area`.
    static QSize fittedSize(const QSize &picture, const QSize &area);

    // The picture for an area of `area` pixels: `frame` converted and scaled
    // smoothly to fit, keeping its shape.
    static QImage fittedImage(const QVideoFrame &frame, const QSize &area);
};
