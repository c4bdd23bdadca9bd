// Printing: the application's printer settings (the paper and orientation the program asks of
// the printer, as the framework's DEVMODE holds them) and a print job that draws its pages on a
// printer or into a PDF file through a device context at the printer's resolution.
#pragma once

#include "platform/win_types.h"

#include <memory>
#include <string>

class CDC;

// The printer's paper codes and orientations.
namespace PrinterPaper {
constexpr int kDefault = 0;  // the driver's own paper
constexpr int kA4 = 9;       // DMPAPER_A4, 210 × 297 mm
constexpr int kB4 = 12;      // DMPAPER_B4, JIS B4, 257 × 364 mm
constexpr int kB5 = 13;      // DMPAPER_B5, JIS B5, 182 × 257 mm
}  // namespace PrinterPaper

namespace PrinterOrientation {
constexpr int kDefault = 0;
constexpr int kPortrait = 1;
constexpr int kLandscape = 2;
}  // namespace PrinterOrientation

struct PRINTER_SETTINGS {
    int paperCode = PrinterPaper::kDefault;
    int orientation = PrinterOrientation::kDefault;
    std::string printerName;  // empty: the system's default printer
    std::string outputFile;   // UTF-8 path of a PDF file to print into; empty: the printer
    int copies = 1;
};

// The application's printer settings, which the print dialog starts from.
PRINTER_SETTINGS& ApplicationPrinter();
// Writes the paper code and orientation of the application's printer settings.
void SetDevModePaper(int paperCode, int orientation);
// The physical sheet of a paper code in 1/100 mm (portrait); false for an unknown code.
bool PaperCodeSize(int paperCode, SIZE* size);

// One print job: pages drawn one after the other through its device context.
class CPrintJob {
public:
    // Starts the job on the printer or file of the settings, with the paper and orientation
    // they name; null when the printer cannot be started (none installed, file not writable).
    static std::unique_ptr<CPrintJob> Start(const PRINTER_SETTINGS& settings, const std::u16string& title);
    ~CPrintJob();
    CPrintJob(const CPrintJob&) = delete;
    CPrintJob& operator=(const CPrintJob&) = delete;

    // Draws the current page, at the printer's resolution, the sheet's top-left at (0, 0).
    CDC* DC() const;
    // Ends the page and starts the next one.
    bool NewPage();
    // Finishes the document; false when the printer reported a failure.
    bool End();

private:
    struct Impl;
    explicit CPrintJob(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};
