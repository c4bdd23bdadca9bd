// The device context over Qt: a QPainter on a QImage (windows' off-screen bitmaps, memory
// contexts and the screen's measuring context), on a QPrinter (printing and PDF) or on a QPicture
// (metafiles). Raster operations (XOR, inversion) work only on images.
#pragma once

#include "platform/gdi.h"

#include <memory>

class QImage;
class QPaintDevice;
class QPainter;
class QPicture;
class QPrinter;
struct BitmapStorage;

// The screen's measuring context: a 96-dot-per-inch image context that reports the screen's size.
std::unique_ptr<CDC> CreateQtScreenDC();

class CQtDC : public CDC {
public:
    // Draws into the image (kept by the caller), which claims the given resolution.
    static std::unique_ptr<CQtDC> ForImage(QImage* image, int dpiX = 96, int dpiY = 96);
    // A context of its own white image of that size.
    static std::unique_ptr<CQtDC> WithImage(int width, int height, int dpiX = 96, int dpiY = 96);
    // A printed page drawn into the image (kept by the caller) at the given resolution: the print
    // preview's page, which the drawing code takes for a printer's.
    static std::unique_ptr<CQtDC> ForPreviewPage(QImage* image, int dpiX, int dpiY);
    // Prints on the printer at its resolution; the document starts with the first drawing.
    static std::unique_ptr<CQtDC> ForPrinter(QPrinter* printer);
    // Records a metafile at the given resolution; it has no attribute context.
    static std::unique_ptr<CQtDC> ForPicture(QPicture* picture, int dpi = 96);
    // Records into any other paint device (an SVG generator) as a metafile is recorded.
    static std::unique_ptr<CQtDC> ForPaintDevice(QPaintDevice* device, int dpi = 96);
    ~CQtDC() override;

    // The image drawn into, when the context draws into one (also a memory context's bitmap).
    QImage* Image() const;
    // Whether the context has a device to draw on (a printer or file that could be started).
    bool IsActive() const;
    // Printing: ends the page and starts the next one.
    bool NewPage();
    // Ends drawing (the printer finishes its document, the picture its recording).
    void End();

    std::unique_ptr<CDC> CreateCompatibleDC() override;
    COLORREF GetPixel(int x, int y) const override;

protected:
    bool DrawLine(POINT from, POINT to) override;
    bool DrawPolyline(const std::vector<POINT>& points) override;
    bool DrawBeziers(const std::vector<POINT>& points) override;
    bool DrawPolygon(const std::vector<POINT>& points) override;
    bool DrawRectangle(const RECT& r) override;
    bool DrawEllipse(const RECT& r) override;
    bool DrawArc(const RECT& box, POINT start, POINT end) override;
    bool DoFillRect(const RECT& r, const BrushInfo& brush) override;
    bool DoFrameRect(const RECT& r, const BrushInfo& brush) override;
    bool DoInvertRect(const RECT& r) override;
    bool DoFillSolidRect(const RECT& r, COLORREF color) override;
    bool DoPatBlt(const RECT& r, DWORD rop) override;
    bool DoBitBlt(const RECT& destination, CDC* source, const RECT& sourceRect, DWORD rop, bool stretch) override;
    bool DoSetPixel(int x, int y, COLORREF color) override;
    bool DrawDib(const RECT& destination, const DibImage& image, const RECT& source, DWORD rop, bool stretch) override;
    bool DrawTextRun(const TextRun& run) override;
    bool MeasureText(std::u16string_view text, SIZE* size) const override;
    bool MeasureMetrics(TEXTMETRICA* metrics) const override;
    bool MeasureAbc(char16_t unit, ABC* abc) const override;
    SIZE DeviceSize() const override;
    int DeviceDpiX() const override { return m_dpiX; }
    int DeviceDpiY() const override { return m_dpiY; }
    void BitmapSelected(HBITMAP previous) override;

private:
    struct Impl;
    CQtDC(DeviceKind kind, int dpiX, int dpiY);
    // The painter ready for a primitive: clip, no transform, aliased; null when nothing can be
    // drawn (no target, or the raster operation draws nothing).
    QPainter* Begin(bool shape);
    // Begin with the selected pen and brush set.
    QPainter* BeginShape();
    friend std::unique_ptr<CDC> CreateQtScreenDC();

    std::unique_ptr<Impl> m_impl;
    int m_dpiX;
    int m_dpiY;
};
