// The windows' font: a Japanese proportional Gothic, 12 pixels high, with fallbacks for systems
// without the classic face.
#pragma once

#include <QFont>

QFont WindowFont(int pixel_size = 12);
