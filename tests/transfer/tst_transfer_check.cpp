#include "base/unit_service.h"
#include "gui/scripted_prompts.h"
#include "transfer/transfer_check.h"

#include <QtTest>

using namespace vz;

class TstTransferCheck : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void refusedOrFilled_data();
    void refusedOrFilled();
};

void TstTransferCheck::initTestCase() {
    QVERIFY(languageTable().load(QStringLiteral(VZ_SOURCE_DIR "/resources"),
                                 QStringLiteral("english")));
}

void TstTransferCheck::refusedOrFilled_data() {
    QTest::addColumn<int>("sharedWith"); // channel of single 2; 2 = none shared
    QTest::addColumn<QString>("message");
    QTest::newRow("passes") << 2 << "";
    QTest::newRow("single 2 on the channel of all variant 1")
        << 21 << "Duplicate channel 21:\n\rSingle module 2\n\rAll, Variant 1\n\r\n\r";
}

void TstTransferCheck::refusedOrFilled() {
    QFETCH(int, sharedWith);
    QFETCH(QString, message);
    BoxProgram p = BoxProgram::startValues();
    p.singleAt(2).ch = sharedWith - 1;
    ScriptedPrompts prompts;
    TransferRequest request;
    request.records[0] = {99, 99, 99}; // what the last opening left
    const bool opens = prepare_transfer(p, 1, 7, prompts, nullptr, &request);
    QCOMPARE(request.blockSize, 7); // copied even when refused
    QCOMPARE(opens, message.isEmpty());
    if (opens) {
        QVERIFY(prompts.records.isEmpty());
        QVERIFY(request.records == buildRecordTable(p, 1));
    } else {
        QCOMPARE(prompts.kinds(), QStringList{"error"});
        QCOMPARE(prompts.texts(), QStringList{message});
        QCOMPARE(int(request.records[0].channel), 99);
    }
}

QTEST_MAIN(TstTransferCheck)
#include "tst_transfer_check.moc"
