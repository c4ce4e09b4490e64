#pragma once

#include "base/settings.h"
#include "serial/com_port.h"
#include "transfer/block_transfer.h"
#include "transfer/hex_log.h"
#include "transfer/hex_log_view.h"
#include "transfer/idle_stream.h"
#include "transfer/transfer_image.h"

#include <QDialog>
#include <QImage>

#include <memory>

class QFrame;
class QKeyEvent;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;

namespace vz {

class Prompts;

// The transmit dialog: keeps the port open with an idle stream of "_" while the operator
// powers the master module, then sends the transfer image block by block. Owns the one
// serial port of the program; the main window reaches it through com_port().
//
// The main window fills the record table and the block size before each showing and shares
// its saved port number (the [com] port setting) by reference.
class Tfrm_gui_transmit : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 750;
    static constexpr int kPanelHeight = 89;
    static constexpr int kPreviewHeight = 161;

    Tfrm_gui_transmit(const QString& dataDir, Prompts& prompts, int& savedPort,
                      QWidget* parent = nullptr);
    ~Tfrm_gui_transmit() override;

    TApdComPort& com_port() { return m_comPort; }

    void setRecords(const vz::RecordTable& records) { m_records = records; }
    const vz::RecordTable& records() const { return m_records; }
    // As the settings file gives it; the transfer takes the default for values below 1.
    void setBlockSize(int blockSize) { m_blockSize = blockSize; }
    int blockSize() const { return m_blockSize; }
    int effectiveBlockSize() const { return Settings::usableBlock(m_blockSize); }

    QString hexLog() const { return m_hexLog.text(); }
    QImage dataPreview() const { return m_preview; }
    // The font the data preview writes its values with.
    QFont previewFont() const;
    bool isSending() const { return m_transfer->isRunning(); }
    // Blocks, last part and per-block turnaround of the latest transfer.
    const vz::BlockTransferReport& lastTransfer() const { return m_transfer->report(); }

    void done(int result) override;

public slots:
    void FormShow();
    void Timer1Timer();
    void btn_selectcomportClick();
    void btn_transmitClick();
    void btn_infoClick();
    void btn_closeClick();
    void FormClose();
    void FormKeyDown(QKeyEvent* event);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void status_msg(const QString& text);
    void addOpenedLines();
    void appendHexLog(const QByteArray& bytes);
    void setClientHeight(int height);
    void closeAfterFailure();
    void transferProgress(int step, int steps, const QByteArray& written);
    void transferFinished();
    void transferFailed();
    void portLost();
    void com_portFailed(const QString& text);

    QString m_dataDir;
    QString m_settingsPath;
    Prompts& m_prompts;
    int& m_savedPort;

    TApdComPort m_comPort;
    vz::RecordTable m_records{};
    int m_blockSize = Settings::kDefaultBlock;
    vz::HexLog m_hexLog;
    QImage m_preview;
    vz::IdleStream* m_idle = nullptr;
    vz::BlockTransfer* m_transfer = nullptr;

    const QEvent* m_lastKeyEvent = nullptr; // a key seen by a control and again by its parent
    ulong m_lastKeyTime = 0;
    int m_lastKey = 0;

    QWidget* pnl_background = nullptr;
    QFrame* N1 = nullptr;
    QLabel* lbl_selected_comport = nullptr;
    QLabel* lbl_comport_nr = nullptr;
    QListWidget* listbox = nullptr;
    QProgressBar* transmit_progress = nullptr;
    QPushButton* btn_transmit = nullptr;
    QPushButton* btn_close = nullptr;
    QPushButton* btn_selectcomport = nullptr;
    QPushButton* btn_info = nullptr;
    QLabel* img_data_preview = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    std::unique_ptr<vz::HexLogView> m_hexView;
    QTimer* Timer1 = nullptr; // the idle stream's
};

} // namespace vz
