// Pictures and byte helpers shared by the export tests.
#pragma once

#include "pictures/Error.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace vt::test {

// 128 x 128 in 8 x 8 blocks of 256 distinct colours.
QImage blocksOf256Colours(QImage::Format format = QImage::Format_RGB32);

// 256 x 256 with red = x and green = y: 65536 colours.
QImage gradient();

// `picture` in RGB32, so that pictures of different formats compare by their colours.
QImage rgb(const QImage& picture);

// The message of the vt::Error that `operation` throws; empty when it throws none.
template <class Operation> QString errorOf(Operation&& operation)
{
    try {
        operation();
    } catch (const Error& error) {
        return error.message();
    }
    return {};
}

} // namespace vt::test
