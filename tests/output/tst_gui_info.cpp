#include "output/gui_info.h"
#include "output/program_version.h"

#include <QLabel>
#include <QMainWindow>
#include <QtTest>

namespace {

QLabel* label(QWidget* w, const char* name) {
    return w->findChild<QLabel*>(QLatin1String(name));
}

} // namespace

class TestGuiInfo : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_main = new QMainWindow;
        m_main->setWindowTitle(QStringLiteral("Vestro Zandor"));
        m_main->resize(761, 467);
        m_main->show();
        m_info = new Tfrm_gui_info(m_main);
    }
    void cleanup() { delete m_main; }

    void layout() {
        QVERIFY(m_info->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(m_info->size(), QSize(302, 302));
        QLabel* img = label(m_info, "info_img");
        QCOMPARE(img->geometry(), QRect(1, 1, 300, 300));
        QCOMPARE(img->pixmap().size(), QSize(300, 300));
        QCOMPARE(label(m_info, "app_name_lbl_shadow")->pos(), QPoint(14, 11));
        QCOMPARE(label(m_info, "app_version_lbl")->pos(), QPoint(16, 44));
        QCOMPARE(label(m_info, "app_version_lbl")->font().pixelSize(), 13);
    }

    // Shown, the box takes the main window's caption as it then stands and the version.
    void showsCaptionAndVersion() {
        m_main->setWindowTitle(QStringLiteral("Vestro Zandor - Bühne.kvx"));
        m_info->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_info));
        QCOMPARE(label(m_info, "app_name_lbl_main")->text(),
                 QStringLiteral("Vestro Zandor - Bühne.kvx"));
        QCOMPARE(label(m_info, "app_name_lbl_shadow")->text(),
                 QStringLiteral("Vestro Zandor - Bühne.kvx"));
        QCOMPARE(label(m_info, "app_version_lbl")->text(), QStringLiteral("%1.%2.%3.%4")
                                                               .arg(VZ_VERSION_MAJOR)
                                                               .arg(VZ_VERSION_MINOR)
                                                               .arg(VZ_VERSION_PATCH)
                                                               .arg(VZ_VERSION_TWEAK));
        m_info->close();

        // A later save renames the caption; the next showing follows it.
        m_main->setWindowTitle(QStringLiteral("Vestro Zandor - neu.kvx"));
        m_info->show();
        QCOMPARE(label(m_info, "app_name_lbl_main")->text(),
                 QStringLiteral("Vestro Zandor - neu.kvx"));
    }

    // The name stands 32 pixels high; longer captions shrink, the longest are shortened in
    // the middle, and none runs off the box.
    void captionFits_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("pixels"); // 0: smaller than 32
        QTest::addColumn<bool>("whole");
        QTest::newRow("program name") << QStringLiteral("Vestro Zandor") << 32 << true;
        QTest::newRow("with a project") << QStringLiteral("Vestro Zandor - Bühne.kvx") << 0 << true;
        QTest::newRow("long project name")
            << QStringLiteral("Vestro Zandor - Silvester am Hafen 2024 Hauptbühne links.kvx") << 0
            << false;
    }
    void captionFits() {
        QFETCH(QString, caption);
        QFETCH(int, pixels);
        QFETCH(bool, whole);
        m_main->setWindowTitle(caption);
        m_info->show();
        for (const char* name : {"app_name_lbl_main", "app_name_lbl_shadow"}) {
            QLabel* l = label(m_info, name);
            QVERIFY2(l->geometry().right() < m_info->width(), name);
            QCOMPARE(l->text() == caption, whole);
            if (pixels)
                QCOMPARE(l->font().pixelSize(), pixels);
            else
                QVERIFY(l->font().pixelSize() < 32 && l->font().pixelSize() >= 16);
        }
        if (!whole) {
            const QString shown = label(m_info, "app_name_lbl_main")->text();
            QVERIFY(shown.startsWith(QStringLiteral("Vestro")));
            QVERIFY(shown.endsWith(QStringLiteral(".kvx")));
        }
        QCOMPARE(label(m_info, "app_name_lbl_main")->font(),
                 label(m_info, "app_name_lbl_shadow")->font());
    }

    void keys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << false;
        QTest::newRow("Space") << int(Qt::Key_Space) << 0 << false;
        QTest::newRow("Ctrl+W") << int(Qt::Key_W) << int(Qt::ControlModifier) << false;
        QTest::newRow("Alt+F4") << int(Qt::Key_F4) << int(Qt::AltModifier) << false;
    }
    void keys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, closes);
        m_info->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_info));
        QTest::keyClick(m_info, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(m_info->isVisible(), !closes);
    }

    void clicks_data() {
        QTest::addColumn<QPoint>("pos"); // in the box
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("closes");
        QTest::newRow("picture") << QPoint(150, 200) << int(Qt::LeftButton) << true;
        QTest::newRow("over the name") << QPoint(40, 25) << int(Qt::LeftButton) << true;
        QTest::newRow("right button") << QPoint(150, 200) << int(Qt::RightButton) << false;
        QTest::newRow("border outside the picture")
            << QPoint(0, 150) << int(Qt::LeftButton) << false;
    }
    void clicks() {
        QFETCH(QPoint, pos);
        QFETCH(int, button);
        QFETCH(bool, closes);
        m_info->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_info));
        // Through the window, so the click lands where a real one would (labels included).
        QTest::mouseClick(m_info->windowHandle(), Qt::MouseButton(button), Qt::NoModifier, pos);
        QCOMPARE(m_info->isVisible(), !closes);
    }

    // Modal over the main window, and centred on it.
    void modalAndCentred() {
        m_main->move(100, 80);
        bool modal = false;
        QPoint offset;
        QTimer::singleShot(0, m_info, [&] {
            modal = m_info->isModal() && QApplication::activeModalWidget() == m_info;
            offset = m_info->frameGeometry().center() - m_main->frameGeometry().center();
            QTest::keyClick(m_info, Qt::Key_Escape);
        });
        m_info->exec();
        QVERIFY(!m_info->isVisible());
        QVERIFY(modal);
        // Within the few pixels the window frame of the main window makes.
        QVERIFY2(qAbs(offset.x()) <= 8 && qAbs(offset.y()) <= 8,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    }

private:
    QMainWindow* m_main = nullptr;
    Tfrm_gui_info* m_info = nullptr;
};

QTEST_MAIN(TestGuiInfo)
#include "tst_gui_info.moc"
