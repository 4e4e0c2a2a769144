// The application's icon: a magnitude response (flat pass band, steep edge, stop-band ripples)
// on a blue tile. It is painted rather than loaded, so it is sharp at every size.
#pragma once

#include <QIcon>
#include <QImage>

namespace ondela {

// The icon at the usual sizes from 16 to 256 pixels. Needs a QGuiApplication.
QIcon OndelaIcon();

// The icon painted at size x size pixels.
QImage PaintOndelaIcon(int size);

}  // namespace ondela
