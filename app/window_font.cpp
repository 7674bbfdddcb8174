#include "app/window_font.h"

#include <QStringList>

QFont WindowFont(int pixel_size) {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                    QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                    QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixel_size);
  return font;
}
