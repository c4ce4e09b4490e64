#include "preview/preview_area.h"
#include "preview/preview_popup.h"

#include <QLabel>
#include <QTest>

class TestPreviewArea : public QObject {
    Q_OBJECT
private slots:
    void render();
};

void TestPreviewArea::render() {
    PreviewArea area;
    area.placeFlames(6);
    area.show();
    vz::preview::Segment s;
    s.states = {2, 1, 0, 2, 2, 1};
    area.run_preview({s});
    QImage img = area.grab().toImage();
    img.save(QStringLiteral(VZ_BIN_DIR "/../preview_area.png"));
    img.scaled(img.size() * 3).save(QStringLiteral(VZ_BIN_DIR "/../preview_area_x3.png"));
}

QTEST_MAIN(TestPreviewArea)
#include "tst_preview_area.moc"
