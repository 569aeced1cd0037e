// Saves a PNG of the whole X screen and prints how many distinct colours it holds, so the
// end-to-end test can tell a drawn window from an empty screen; then, for each X Y pair
// given after the file name, the colour of that pixel as #rrggbb on a line of its own.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tv_screenshot OUT.png [X Y]...\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 1;
  const QImage img = screen->grabWindow(0).toImage();
  if (img.isNull() || !img.save(QString::fromLocal8Bit(argv[1]))) return 1;
  QSet<QRgb> colours;
  for (int y = 0; y < img.height(); y += 2)
    for (int x = 0; x < img.width(); x += 2) colours.insert(img.pixel(x, y));
  std::printf("%lld\n", static_cast<long long>(colours.size()));
  for (int a = 2; a + 1 < argc; a += 2) {
    const QPoint at(std::atoi(argv[a]), std::atoi(argv[a + 1]));
    const QRgb c = img.valid(at) ? img.pixel(at) : 0;
    std::printf("#%02x%02x%02x\n", qRed(c), qGreen(c), qBlue(c));
  }
  return 0;
}
