#pragma once

#include <QObject>

class QComboBox;
class QLabel;
class QWidget;

namespace vz {

class ProgramDocument;

// The fixed area above the pages: the box number (a list in box mode 1 or while the RK40
// route asks for it, else a label with the derived number) and the module count. The
// controls mirror the document; a choice goes through the document's rules.
class BoxHeader : public QObject {
    Q_OBJECT
public:
    BoxHeader(QWidget* client, vz::ProgramDocument& document);

    // The lists' entries: 1..16 modules, 1..maxbox boxes (after the document took maxbox).
    void fillLists();
    void apply_boxmode();
    void setBoxListForced(bool forced);
    void showModuleCount();
    void showBoxNumber();

public slots:
    // Armed, the count and the box number are what the console fires: both lists refuse
    // wheel, keys and clicks (the RK40's box list too).
    void setArmed(bool armed);
    void gasmod_count_cbChange(int position);
    void box_nr_cbChange(int position);

private:
    vz::ProgramDocument& m_document;
    QComboBox* m_boxNrCb = nullptr;
    QLabel* m_boxNrCblbl = nullptr;
    QComboBox* m_gasmodCountCb = nullptr;
    bool m_boxListForced = false;
};

} // namespace vz
