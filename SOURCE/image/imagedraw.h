// Pictures on screen and on paper go through a QImage built from the DIB.
#pragma once

#include <QImage>

class CImageImpl;

// The picture top row first. With withTransparency the transparent index
// is fully transparent, so whatever lies below shows through.
QImage ImageToQImage(const CImageImpl& image, bool withTransparency);
