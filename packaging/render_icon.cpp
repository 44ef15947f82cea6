// Writes icon 128 as a PNG of the given size, for the desktop icon the
// installation puts in the icon theme:  vetch_render_icon <size> <file.png>
#include "resources/images.h"
#include "resources/resource_ids.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <size> <file.png>\n", argv[0]);
        return 2;
    }
    int size = std::atoi(argv[1]);
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "%s: size must be 16 to 1024 pixels\n", argv[0]);
        return 2;
    }
    QImage icon = res::RenderIcon(res::IDI_MAIN, size);
    if (icon.isNull() || !icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
