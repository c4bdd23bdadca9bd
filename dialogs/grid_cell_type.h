// Cell types of the grid control: they draw a cell and react to clicks and keys on it. The
// normal type draws the border and the text; the check-box type draws a box in place of the value
// and toggles it on a button release inside the box or on the space key.
// The registry of a grid's cell types is a `CGridArray`.
#pragma once

#include "dialogs/grid_cell.h"
#include "platform/gdi.h"
#include "platform/gdi_objects.h"

#include <string>
#include <vector>

// What a cell type and the cell store need of their grid.
class CGridCellHost {
public:
    virtual ~CGridCellHost() = default;
    // The cell as painted; 0 when found.
    virtual int GetEffectiveCell(int column, int row, CGridCell& cell) = 0;
    // The stored cell; 0 when found, 1 when nothing is stored (or outside the sheet).
    virtual int GetCell(int column, int row, CGridCell& cell) = 0;
    virtual int SetCell(int column, int row, const CGridCell& cell) = 0;
    virtual void RefreshCell(int column, int row) = 0;
    // The committed current cell.
    virtual int GetCurrentColumn() const = 0;
    virtual int GetCurrentRow() const = 0;
    // The grid's cell font, used by cells without a font of their own.
    virtual HFONT GetCellFont() const = 0;
    // The sheet's text margin, 3-D border thickness and highlight option.
    virtual int GetTextMargin() const { return 2; }
    virtual int Get3DBorderThickness() const { return 1; }
    virtual int GetHighlightOption() const { return 0; }
    // Whether a cell address lies in the sheet: its rows and columns and the headings.
    virtual bool IsCellInSheet(int /*column*/, int /*row*/) const { return true; }
    // The store inserted (delta 1) or deleted (delta -1) a column of cells: column records whose
    // data index is at or after the column follow.
    virtual void ShiftColumnDataIndexes(int /*column*/, int /*delta*/) {}
};

class CGridCellType {
public:
    explicit CGridCellType(CGridCellHost* grid = nullptr) : m_grid(grid) {}
    CGridCellType(const CGridCellType&) = delete;
    CGridCellType& operator=(const CGridCellType&) = delete;
    virtual ~CGridCellType() = default;

    CGridCellHost* GetGrid() const { return m_grid; }
    void SetGrid(CGridCellHost* grid) { m_grid = grid; }
    int GetIndex() const { return m_index; }
    void SetIndex(int index) { m_index = index; }

    virtual std::u16string GetTypeName() const;
    virtual int OnSysColorChange() { return 0; }
    // pressed: 1 for a button press, 0 for its release. Answers whether the click was handled.
    virtual int OnClick(int column, int row, int pressed, const RECT& rect, POINT point);
    virtual int OnRightClick(int column, int row, int pressed, const RECT& rect, POINT point);
    virtual int OnDoubleClick(int column, int row, const RECT& rect, POINT point);
    virtual int OnKeyDown(int column, int row, int key);
    virtual int OnChar(int column, int row, int character);
    virtual int OnMouseMove(int column, int row, POINT point, UINT flags);
    virtual void Draw(CDC* dc, RECT rect, int column, int row, const CGridCell& cell, BOOL selected, BOOL focus);
    virtual void OnEnterCell(int column, int row, const CGridCell& cell);
    virtual void OnLeaveCell(int column, int row, const CGridCell& cell);
    virtual void GetBestSize(CDC* dc, SIZE& size, const CGridCell& cell);

    // Draws the border lines of the cell (none with a null dc) and shrinks the rectangle to the
    // content inside them.
    void DrawBorder(CDC* dc, RECT& rect, const CGridCell& cell);
    void DrawText(CDC* dc, const RECT& rect, const CGridCell& cell, BOOL selected, BOOL focus);
    // Draws the bitmap at the left of the cell; answers the width it takes.
    int DrawBitmap(CDC* dc, const RECT& rect, HBITMAP bitmap, COLORREF back);
    // The text broken into lines that fit the rectangle, drawn from its top.
    void DrawWrapped(CDC* dc, const RECT& rect, const std::u16string& text, uint16_t align);

protected:
    // The string the text step draws.
    virtual const std::u16string& TextToDraw(const CGridCell& cell) const;

private:
    CGridCellHost* m_grid;
    int m_index = 0;
};

class CGridCheckBoxType : public CGridCellType {
public:
    explicit CGridCheckBoxType(CGridCellHost* grid = nullptr);

    std::u16string GetTypeName() const override;
    int OnClick(int column, int row, int pressed, const RECT& rect, POINT point) override;
    int OnDoubleClick(int column, int row, const RECT& rect, POINT point) override;
    int OnChar(int column, int row, int character) override;
    void Draw(CDC* dc, RECT rect, int column, int row, const CGridCell& cell, BOOL selected, BOOL focus) override;

    // The box square inside a content rectangle; empty when the content is too low for a box.
    static RECT BoxRect(const RECT& content);

protected:
    const std::u16string& TextToDraw(const CGridCell& cell) const override;

private:
    void DrawBox(CDC* dc, const RECT& box, int style);
    void DrawMark(CDC* dc, const RECT& box, int style);

    CPen m_shadowPen;
    CPen m_lightGreyPen;
    CPen m_facePen;
    CGridCell m_scratch;
};

// The registry of cell types: entries taken first-free, growing by 10.
class CGridArray {
public:
    struct Entry {
        bool used = false;
        CGridCellType* pointer = nullptr;
        int value = 0;
        int extra[4] = {};
    };

    // The index of the entry now holding the pointer, or -1.
    int Add(CGridCellType* pointer, int value = 0);
    // The pointer of a used entry in range, else null.
    CGridCellType* Lookup(int index) const;
    void Remove(int index);
    int GetCapacity() const { return static_cast<int>(m_entries.size()); }
    int GetUsedCount() const { return m_used; }

private:
    std::vector<Entry> m_entries;
    int m_used = 0;
};
