// The autocalibration: with the engine held at steady revolutions, runs it
// alternately on petrol and on LPG, measures the petrol time the engine
// computer commands in each case, and corrects the main injection-time
// correction by the difference; takes the gas pressure on LPG as the
// pressure reference. Everything it shows or asks goes through IAutoSetupUi.
//
//   CAutoSetup setup(doc, ui);
//   if (setup.doWork() == EAutoSetupEnd::Done) ...
//
// It needs the live-data reader running; it clears and reads its buffer.
// Corrections written on the way stay written when it stops or fails.
// Thread safety: the thread that drives the controller object only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "calib/AutoSetupRules.h"
#include "calib/IAutoSetupUi.h"

class CGasDevice;

// The waits of the procedure. Tests shorten them; the programs keep the defaults.
struct SAutoSetupTiming {
    // Records of a settling wait; 0 takes 50, or 5 in demonstration mode.
    int settleRecords = 0;
    int averageRecords = AVERAGE_RECORDS;
    std::uint32_t pollMs = 50;
};

enum class EAutoSetupEnd {
    Done,        // corrected and left in automatic mode
    Stopped,     // by the fitter (or nobody confirmed), silently
    NoMountData, // the installation data were not given
    Failed,      // reported in a box
};

// The fields the procedure changes, as a summary shows them.
struct SAutoSetupValues {
    double mainCorr = 0;
    double mainCorr2 = 0;
    std::uint8_t mainCorr2Mask = 0;
    double pressureRef = 0;
    double switchPressure = 0;
    double pressureGain = 0;
};
SAutoSetupValues autoSetupValues(const CSettings& s);

class CAutoSetup {
public:
    CAutoSetup(CGasDevice& device, IAutoSetupUi& ui, SAutoSetupTiming timing = {});

    // The whole procedure, to its end; the fitter's boxes on the way.
    EAutoSetupEnd doWork();

    int settleRecords() const;
    int progressDenominator() const;

    // The settings as read at the start, once they were.
    const std::optional<SAutoSetupValues>& before() const { return m_before; }
    // The differences of the passes that ran (Tg - Tp, ms).
    const std::array<std::optional<double>, AUTOSETUP_PASSES>& differences() const { return m_d; }
    // The mean gas pressure measured on LPG, once it was (kPa).
    const std::optional<double>& measuredPressure() const { return m_pressure; }
    // Where the settings held before the first write were kept; empty until
    // then, and in demonstration mode.
    const std::string& backupPath() const { return m_backupPath; }

private:
    enum class EStep { Go, Stop, Fail };

    EAutoSetupEnd run();
    // Asks for the installation data when the controller has none.
    EStep ensureMountData();
    EStep waitSamples(int n);
    EStep averageSamples(SSampleMeans& means);
    EStep fail(const std::string& text);
    EStep failWith(const char* polish);
    EStep petrol();
    EStep lpg();
    // Keeps the controller's settings in its history before the first
    // thing the procedure writes; later calls pass.
    EStep backUp();
    EStep write();
    // Settles on the fuel just switched to, then the mean petrol time.
    EStep measurePetrol(double& ms);
    int measuredChannelCount() const;
    void showProgress(std::size_t waitSeen);

    CGasDevice& m_dev;
    IAutoSetupUi& m_ui;
    SAutoSetupTiming m_timing;
    std::size_t m_cumulative = 0;
    std::optional<SAutoSetupValues> m_before;
    std::array<std::optional<double>, AUTOSETUP_PASSES> m_d{};
    std::optional<double> m_pressure;
    bool m_backedUp = false;
    std::string m_backupPath;
};
