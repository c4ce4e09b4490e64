#include "base/unit_service.h"
#include "gui/scripted_prompts.h"
#include "transfer/transfer_check.h"

#include <QtTest>

using namespace vz;

class TstTransferCheck : public QObject {
    Q_OBJECT
private slots:
    // A refused program shows one error box and leaves the records of the last opening.
    void refusedOrFilled_data() {
        QTest::addColumn<int>("sharedWith"); // channel of single 2; 2 = none shared
        QTest::addColumn<QString>("message");
        QTest::newRow("passes") << 2 << "";
        QTest::newRow("single 2 on the channel of all variant 1")
            << 21 << "Duplicate channel 21:\n\rSingle module 2\n\rAll, Variant 1\n\r\n\r";
    }
    void refusedOrFilled() {
        QFETCH(int, sharedWith);
        QFETCH(QString, message);
        QVERIFY(languageTable().load(VZ_SOURCE_DIR "/resources", "english"));
        BoxProgram p = BoxProgram::startValues();
        p.singleAt(2).ch = sharedWith - 1;
        ScriptedPrompts prompts;
        TransferRequest request;
        request.records[0] = {99, 99, 99}; // what the last opening left
        QCOMPARE(prepare_transfer(p, 1, 7, prompts, nullptr, &request), message.isEmpty());
        QCOMPARE(request.blockSize, 7); // copied even when refused
        QCOMPARE(prompts.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(prompts.kinds(), message.isEmpty() ? QStringList() : QStringList{"error"});
        QCOMPARE(int(request.records[0].channel), message.isEmpty() ? 1 : 99);
    }
};

QTEST_MAIN(TstTransferCheck)
#include "tst_transfer_check.moc"
