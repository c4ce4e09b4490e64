#pragma once

#include <QLocale>
#include <QString>

#include <array>

// The box program: everything the operator sets up for one box of gas modules.
//
// Indexing used throughout the program:
// - page index 0..8 = family index of the fire buttons: 0 single, 1 all, 2 odd, 3 evn,
//   4 LR, 5 RL, 6 AI, 7 IA, 8 X (9 = macros on the fire panel);
// - group kind k = 0..2 (all, odd, evn) = page index - 1;
// - sequence family f = 0..4 (LR, RL, AI, IA, X) = page index - 4;
// - module N, variant V and macro M are counted from 1 as the operator sees them,
//   except where a name says "index".
// Times are whole time steps of 0.02 s. List positions are stored as positions
// (channel = ch + 1, box number = boxNr + 1, module count = gasmodCount + 1).
namespace vz {

constexpr int kModules = 16;
constexpr int kGroupKinds = 3;
constexpr int kGroupVariants = 3;
constexpr int kSeqFamilies = 5;
constexpr int kSeqVariants = 5;
constexpr int kChannels = 70;
constexpr int kMacros = 10;
constexpr int kMacroSlots = 201;
constexpr int kMacroMaxSteps = 200;
constexpr int kProgramPages = 9;

constexpr int kPageSingle = 0;
constexpr int kPageFireMode = 9;
constexpr int kPageFireSetup = 10;

constexpr int kFireMin = 1;
constexpr int kFireMax = 255;
constexpr int kWaitMin = 2;
constexpr int kWaitMax = 255;
constexpr int kStartTime = 5;
constexpr int kStartCountPosition = 5; // 6 modules

struct SingleProgram {
    int fire = kStartTime;
    int ch = 0;
};

struct GroupProgram {
    int fire = kStartTime;
    int ch = 0;
};

struct SequenceProgram {
    int fire = kStartTime;
    int wait = kStartTime;
    int ch = 0;
    bool chk = true;
};

enum MacroStepType { MacroEnd = -1, MacroPause = 0, MacroCall = 1 };

struct MacroStep {
    int type = -1;
    int value = -1;
    bool operator==(const MacroStep& o) const { return type == o.type && value == o.value; }
};

struct Macro {
    std::array<MacroStep, kMacroSlots> steps{};
    bool active = false;
    // Steps run from slot 0 up to the first slot whose type is -1 or less.
    int stepCount() const;
    bool operator==(const Macro& o) const { return steps == o.steps && active == o.active; }
};

struct BoxProgram {
    int boxNr = 0;                                // box-list position, box number = boxNr + 1
    int gasmodCount = kStartCountPosition;        // module-count position, count = gasmodCount + 1
    std::array<SingleProgram, kModules> single{}; // [N-1]
    std::array<std::array<GroupProgram, kGroupVariants>, kGroupKinds> group{}; // [k][V-1]
    std::array<std::array<SequenceProgram, kSeqVariants>, kSeqFamilies> seq{}; // [f][V-1]
    std::array<Macro, kMacros> macros{};
    int activeTab = 0; // page on show, 0..8

    // Start values: every time 5, channel = program number, all variants in use,
    // 6 modules, box position 0, empty macros.
    static BoxProgram startValues();

    int moduleCount() const { return gasmodCount + 1; }
    int boxNumber() const { return boxNr + 1; }

    SingleProgram& singleAt(int n) { return single[n - 1]; }
    const SingleProgram& singleAt(int n) const { return single[n - 1]; }
    GroupProgram& groupAt(int k, int v) { return group[k][v - 1]; }
    const GroupProgram& groupAt(int k, int v) const { return group[k][v - 1]; }
    SequenceProgram& seqAt(int f, int v) { return seq[f][v - 1]; }
    const SequenceProgram& seqAt(int f, int v) const { return seq[f][v - 1]; }

    bool operator==(const BoxProgram& o) const;
    bool operator!=(const BoxProgram& o) const { return !(*this == o); }
};

// --- program numbers: the fixed place of a program in the master module's table of 70 ---
int singleProgramNumber(int n);       // n
int groupProgramNumber(int k, int v); // 20 + (k + 1) + 3 (v - 1)
int seqProgramNumber(int f, int v);   // 31 + 5 f + (v - 1)

// --- page codes and names ---
QString pageCode(int page);  // "SGL", "all", "odd", "evn", "LR", "RL", "AI", "IA", "X"
QString groupCode(int k);    // "all", "odd", "evn"
QString seqCode(int f);      // "LR", "RL", "AI", "IA", "X"
QString familySymbol(int f); // "|=====>", "<=====|", "|==><==|", "<==||==>", "|<====>|"
QString pageName(int page);  // "tab_single", "tab_all", ..., "tab_seqX", "tab_fire_mode",
                             // "tab_fire_setup"
int pageIndexFromCode(const QString& code); // -1 when unknown

// --- control names (the naming scheme) ---
namespace names {
// suffix: "_ud", "_edit", "_dur_lbl", "_cb", "_lbl"
QString single(int n, const QString& suffix); // tab_single_modnr_<N><suffix>
QString singlePreview(int n);                 // tab_single_preview_<N>_btn
// suffix: "_ud", "_edit", "_dur_lbl", "_cb", "_lbl"
QString group(int k, int v, const QString& suffix); // tab_<K>_var_<V><suffix>
QString groupPreview(int k, int v);                 // tab_<K>_preview_<V>_btn
// suffix: "_fire_ud", "_fire_edit", "_wait_ud", "_wait_edit", "_checkbox", "_cb",
//         "_dur_lbl", "_lbl"
QString seq(int f, int v, const QString& suffix); // tab_seq<F>_var_<V><suffix>
QString seqPreview(int f, int v);                 // tab_seq<F>_preview_<V>_btn
// Preview button of any program page (page 0..8, number = N or V).
QString previewButton(int page, int number);
// Column heading label: "tab_" + page code part + "_caption" + digit + "_A"/"_B";
// the single page is "tab_single_caption...", sequences "tab_seq<F>_caption...".
QString caption(int page, int digit, char block);
// Fire button of family f (0..8) or macro (9), number n: "btn_firemode_sgl12",
// "btn_firemode_odd3", "btn_firemode_seqAI4", "btn_firemode_macro10".
QString fireButton(int f, int n);
} // namespace names

// Parses a fire button name back into (family, number); false when it is none.
bool parseFireButtonName(const QString& name, int* family, int* number);
// Whether (family, number) names a fire button: 0: 1..16, 1..3: 1..3, 4..8: 1..5, 9: 1..10.
bool isFireButton(int family, int number);

// --- derived durations, in seconds ---
double singleDuration(int fire);      // fire * 0.02 + 0.3
int seqSteps(int f, int moduleCount); // count-1, or (count-1) div 2 for AI/IA
double seqDuration(int f, int moduleCount, int fire, int wait);

// --- texts ---
// "%4.2fs" of seconds with the locale's decimal separator (never the C library's).
QString formatSeconds(double seconds, const QLocale& locale = QLocale());
// A time in time steps as the program pages show it: formatSeconds(steps * 0.02).
QString formatTime(int steps, const QLocale& locale = QLocale());
// Two decimals with the locale's separator, no unit (macro editor: "1,50").
QString formatFixed2(double value, const QLocale& locale = QLocale());

} // namespace vz
