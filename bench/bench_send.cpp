// Transfer of a full image over a pseudo-terminal to the virtual master module: the turnaround
// of every block (write -> output-sent event) in process, and the wall time of "vzctl send".
// A pseudo-terminal carries the bytes at once, so what is measured is the cost the block-wise
// wait adds beyond the line time of a real line.
#include "device/virtual_master.h"
#include "program/box_program.h"
#include "serial/com_port.h"
#include "transfer/block_transfer.h"
#include "transfer/transfer_image.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace vz;

namespace {

constexpr int kRounds = 30;
constexpr int kProcessRounds = 10;
constexpr double kLineSeconds = 430 * 10 / 1200.0; // 8N1 at 1200 baud

double percentile(QVector<double> v, double p) {
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min<int>(v.size() - 1, static_cast<int>(p * (v.size() - 1) + 0.5))];
}

// The whole transfer, run to its end on this program's loop; throws its failure.
vz::BlockTransferReport sendAll(vz::BlockTransfer& transfer, const QByteArray& bytes, int block) {
    QEventLoop loop;
    QString failure;
    QObject::connect(&transfer, &vz::BlockTransfer::finished, &loop, &QEventLoop::quit);
    QObject::connect(&transfer, &vz::BlockTransfer::failed, &loop, [&](const QString& why) {
        failure = why;
        loop.quit();
    });
    transfer.start(bytes, block);
    if (transfer.isRunning())
        loop.exec();
    if (!failure.isNull())
        throw ComPortError(failure);
    return transfer.report();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    vz::VirtualMasterModule sim(dir.path());
    if (!sim.start(9)) {
        std::fprintf(stderr, "cannot start the virtual master module: %s\n",
                     qPrintable(sim.errorString()));
        return 2;
    }
    int validImages = 0;
    QObject::connect(&sim, &vz::VirtualMasterModule::deviceEvent, [&](const vz::DeviceEvent& e) {
        if (e.kind == vz::DeviceEvent::Kind::Image && e.valid)
            ++validImages;
    });

    const QByteArray image =
        vz::build_transfer_image(vz::buildRecordTable(vz::BoxProgram::startValues(), 0));
    TApdComPort port(dir.path());
    vz::BlockTransfer transfer(port);
    QVector<double> blockMs, wallMs, wholeMs;
    try {
        port.setComNumber(9);
        port.setOpen(true);
        for (int round = 0; round < kRounds; ++round) {
            const vz::BlockTransferReport r = sendAll(transfer, image, 4);
            for (qint64 us : r.blockUs)
                blockMs.append(us / 1000.0);
            wallMs.append(r.totalUs / 1000.0);
            QElapsedTimer settle;
            settle.start();
            while (settle.elapsed() < 20)
                QCoreApplication::processEvents();
        }
        // The whole image as one part: block 430, or a larger block as the last part.
        for (int round = 0; round < kRounds; ++round) {
            const vz::BlockTransferReport r = sendAll(transfer, image, round % 2 ? 430 : 1000);
            wholeMs.append((r.blocks ? r.blockUs.constFirst() : r.tailUs) / 1000.0);
            QElapsedTimer settle;
            settle.start();
            while (settle.elapsed() < 20)
                QCoreApplication::processEvents();
        }
        port.setOpen(false);
    } catch (const ComPortError& e) {
        std::fprintf(stderr, "transfer failed: %s\n", qPrintable(e.text()));
        return 2;
    }

    QVector<double> processMs;
    const QString vzctl = QStringLiteral(VZ_BIN_DIR "/vzctl");
    const QString demo = QStringLiteral(VZ_SOURCE_DIR "/resources/examples/demo.kvx");
    for (int round = 0; round < kProcessRounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        const int code =
            QProcess::execute(vzctl, {"send", demo, "--port", "9", "--program-dir", dir.path()});
        processMs.append(clock.nsecsElapsed() / 1e6);
        if (code != 0) {
            std::fprintf(stderr, "vzctl send failed (%d)\n", code);
            return 2;
        }
    }
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 100)
        QCoreApplication::processEvents();

    const double median = percentile(blockMs, 0.5);
    const double projected = kLineSeconds + 107 * median / 1000.0;
    std::printf("bench_send: %d in-process transfers of 430 bytes in blocks of 4 (107 waited)\n",
                kRounds);
    std::printf("  per-block turnaround  median %.3f ms  p95 %.3f ms  max %.3f ms  (%lld blocks)\n",
                median, percentile(blockMs, 0.95), percentile(blockMs, 1.0),
                static_cast<long long>(blockMs.size()));
    std::printf("  transfer wall time    median %.2f ms  max %.2f ms\n", percentile(wallMs, 0.5),
                percentile(wallMs, 1.0));
    std::printf("  one 430-byte part     median %.3f ms  max %.3f ms  (blocks 430 and 1000)\n",
                percentile(wholeMs, 0.5), percentile(wholeMs, 1.0));
    std::printf("  vzctl send (process)  median %.1f ms  max %.1f ms  (%d runs)\n",
                percentile(processMs, 0.5), percentile(processMs, 1.0), kProcessRounds);
    std::printf("  at 1200 baud: %.3f s line time + 107 x median = %.3f s (%.2f %% over)\n",
                kLineSeconds, projected, (projected / kLineSeconds - 1) * 100);
    std::printf("  images received valid by the virtual master module: %d of %d\n", validImages,
                2 * kRounds + kProcessRounds);
    return validImages == 2 * kRounds + kProcessRounds && median < 2.0 &&
                   percentile(wholeMs, 0.5) < 2.0
               ? 0
               : 1;
}
