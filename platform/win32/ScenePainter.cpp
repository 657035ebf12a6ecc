#include "platform/win32/ScenePainter.h"

#include <map>

#include "platform/win32/Handles.h"
#include "platform/win32/Picture.h"

namespace lumbra::win32 {
namespace {

int Modulo(int value, int divisor) { return ((value % divisor) + divisor) % divisor; }

class Painter {
public:
    explicit Painter(HDC dc) : dc_(dc), source_(::CreateCompatibleDC(dc)) {}
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;
    ~Painter() {
        Flush();
        if (source_ && original_) ::SelectObject(source_.get(), original_);
    }

    void Add(const platform::ImageElement& element) {
        if (!element.Visible() || !element.Picture()) return;
        // Thousands of tiles share one picture: look at its type once.
        if (element.Picture().get() != lastPicture_) {
            lastPicture_ = element.Picture().get();
            lastWin32Picture_ = dynamic_cast<const Win32Picture*>(lastPicture_);
        }
        const Win32Picture* picture = lastWin32Picture_;
        if (picture == nullptr) return;
        const int x = element.PixelLeft();
        const int y = element.PixelTop();
        const int w = element.Stretch() ? element.PixelWidth() : picture->PixelWidth();
        const int h = element.Stretch() ? element.PixelHeight() : picture->PixelHeight();
        if (w <= 0 || h <= 0) return;
        const bool cell = !picture->HasAlpha() && w == picture->PixelWidth() && h == picture->PixelHeight();
        if (cell && Extends(picture, x, y)) return;
        Flush();
        if (cell) {
            run_ = Run{picture, x, y, w, h, 0, 0, 1};
        } else {
            DrawOne(picture, x, y, w, h);
        }
    }

private:
    // Cells of one picture, in rows of `columns` from (left, top); the last row may be short.
    struct Run {
        const Win32Picture* picture = nullptr;
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        int columns = 0;  // fixed once the first row is complete; 0 while it grows
        int rows = 0;     // complete rows
        int cells = 0;    // cells of the row being filled
    };

    bool Extends(const Win32Picture* picture, int x, int y) {
        Run& r = run_;
        if (r.picture != picture || r.cells == 0) return false;
        const int rowTop = r.top + r.rows * r.height;
        if (y == rowTop && x == r.left + r.cells * r.width && (r.columns == 0 || r.cells < r.columns)) {
            ++r.cells;
            return true;
        }
        const bool rowComplete = r.columns == 0 || r.cells == r.columns;
        if (rowComplete && x == r.left && y == rowTop + r.height) {
            if (r.columns == 0) r.columns = r.cells;
            ++r.rows;
            r.cells = 1;
            return true;
        }
        return false;
    }

    void Flush() {
        Run r = run_;
        run_ = Run{};
        if (r.picture == nullptr || r.cells == 0) return;
        if (r.rows == 0 && r.cells == 1) {
            DrawOne(r.picture, r.left, r.top, r.width, r.height);
            return;
        }
        HBRUSH brush = BrushFor(r.picture);
        if (brush == nullptr) {
            // Without a brush, cell by cell.
            const int columns = r.columns == 0 ? r.cells : r.columns;
            for (int row = 0; row <= r.rows; ++row) {
                const int n = row < r.rows ? columns : r.cells;
                for (int c = 0; c < n; ++c) DrawOne(r.picture, r.left + c * r.width, r.top + row * r.height, r.width, r.height);
            }
            return;
        }
        POINT previous{};
        ::SetBrushOrgEx(dc_, Modulo(r.left, r.width), Modulo(r.top, r.height), &previous);
        if (r.rows > 0) {
            const RECT block{r.left, r.top, r.left + r.columns * r.width, r.top + r.rows * r.height};
            ::FillRect(dc_, &block, brush);
        }
        const int lastTop = r.top + r.rows * r.height;
        const RECT last{r.left, lastTop, r.left + r.cells * r.width, lastTop + r.height};
        ::FillRect(dc_, &last, brush);
        ::SetBrushOrgEx(dc_, previous.x, previous.y, nullptr);
    }

    HBRUSH BrushFor(const Win32Picture* picture) {
        auto it = brushes_.find(picture);
        if (it == brushes_.end()) {
            it = brushes_.emplace(picture, unique_hbrush(::CreatePatternBrush(picture->Bitmap()))).first;
        }
        return it->second.get();
    }

    void DrawOne(const Win32Picture* picture, int x, int y, int w, int h) {
        if (!source_) {
            picture->Draw(dc_, x, y, w, h);
            return;
        }
        if (selected_ != picture) {
            HGDIOBJ previous = ::SelectObject(source_.get(), picture->Bitmap());
            if (original_ == nullptr) original_ = previous;
            selected_ = picture;
        }
        picture->DrawFrom(source_.get(), dc_, x, y, w, h);
    }

    HDC dc_;
    const platform::Picture* lastPicture_ = nullptr;
    const Win32Picture* lastWin32Picture_ = nullptr;
    unique_hdc source_;
    HGDIOBJ original_ = nullptr;
    const Win32Picture* selected_ = nullptr;
    Run run_;
    std::map<const Win32Picture*, unique_hbrush> brushes_;
};

}  // namespace

void PaintElements(HDC dc, const platform::Scene& scene) {
    Painter painter(dc);
    scene.ForEach([&](const platform::ImageElement& element) { painter.Add(element); });
}

}  // namespace lumbra::win32
