// The pictures of the demo installation, drawn here: the splash picture, the two backgrounds
// and one small drawing per window type, opening side and material (or sliding scheme).
#include "setup/demo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <jpeglib.h>
#include <stdexcept>

namespace setup {

namespace fs = std::filesystem;

namespace {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

Rgb mix(Rgb a, Rgb b, double t) {
    auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

class Canvas {
public:
    Canvas(int w, int h, Rgb c) : w_(w), h_(h), px_(static_cast<size_t>(w) * h * 3) {
        fillRect(0, 0, w, h, c);
    }
    int width() const { return w_; }
    int height() const { return h_; }
    const std::vector<unsigned char>& pixels() const { return px_; }

    void set(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= w_ || y >= h_) {
            return;
        }
        const size_t i = (static_cast<size_t>(y) * w_ + x) * 3;
        px_[i] = clamp(c.r);
        px_[i + 1] = clamp(c.g);
        px_[i + 2] = clamp(c.b);
    }
    Rgb get(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * w_ + x) * 3;
        return {px_[i], px_[i + 1], px_[i + 2]};
    }

    // [x0, x1) x [y0, y1)
    void fillRect(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = std::max(0, y0); y < std::min(h_, y1); ++y) {
            for (int x = std::max(0, x0); x < std::min(w_, x1); ++x) {
                set(x, y, c);
            }
        }
    }
    void gradient(int x0, int y0, int x1, int y1, Rgb top, Rgb bottom) {
        const int span = std::max(1, y1 - y0 - 1);
        for (int y = std::max(0, y0); y < std::min(h_, y1); ++y) {
            const Rgb c = mix(top, bottom, static_cast<double>(y - y0) / span);
            for (int x = std::max(0, x0); x < std::min(w_, x1); ++x) {
                set(x, y, c);
            }
        }
    }
    // A border of thickness t inside the rectangle.
    void frame(int x0, int y0, int x1, int y1, int t, Rgb c) {
        fillRect(x0, y0, x1, y0 + t, c);
        fillRect(x0, y1 - t, x1, y1, c);
        fillRect(x0, y0, x0 + t, y1, c);
        fillRect(x1 - t, y0, x1, y1, c);
    }
    void line(double x0, double y0, double x1, double y1, Rgb c, int thick = 1, int dash = 0) {
        const double len = std::hypot(x1 - x0, y1 - y0);
        const int steps = std::max(1, static_cast<int>(len * 2));
        for (int i = 0; i <= steps; ++i) {
            if (dash > 0 && (i / (dash * 2)) % 2 == 1) {
                continue;
            }
            const double t = static_cast<double>(i) / steps;
            const int x = static_cast<int>(std::lround(x0 + (x1 - x0) * t));
            const int y = static_cast<int>(std::lround(y0 + (y1 - y0) * t));
            for (int dy = 0; dy < thick; ++dy) {
                for (int dx = 0; dx < thick; ++dx) {
                    set(x + dx - thick / 2, y + dy - thick / 2, c);
                }
            }
        }
    }
    // Deterministic grain, so that large flat areas do not look synthetic.
    void grain(int amplitude, uint32_t seed) {
        uint32_t s = seed;
        for (auto& p : px_) {
            s = s * 1664525u + 1013904223u;
            const int n =
                static_cast<int>((s >> 24) % static_cast<uint32_t>(2 * amplitude + 1)) - amplitude;
            p = clamp(p + n);
        }
    }

private:
    static unsigned char clamp(int v) { return static_cast<unsigned char>(std::clamp(v, 0, 255)); }
    int w_, h_;
    std::vector<unsigned char> px_;
};

// ---------------------------------------------------------------- window drawings

enum class Leaf { Fixed, Turn, Tilt, TiltTurn, Slide, LiftSlide, TiltSlide, Door };

struct LeafSpec {
    Leaf kind = Leaf::Fixed;
    bool hingeRight = true; // hinge side (turning leaves) or the side the leaf slides to
    bool glass = true;
};

const Rgb kGlassTop{196, 222, 240};
const Rgb kGlassBottom{236, 246, 252};
const Rgb kLine{40, 48, 60};
const Rgb kHandle{70, 70, 78};
const Rgb kSill{90, 90, 96};
const Rgb kPaper{250, 250, 248}; // the background of a drawing

void drawArrow(Canvas& c, double x0, double y, double x1, Rgb col) {
    c.line(x0, y, x1, y, col, 2);
    const double d = x1 > x0 ? -6 : 6;
    c.line(x1, y, x1 + d, y - 4, col, 2);
    c.line(x1, y, x1 + d, y + 4, col, 2);
}

// One leaf inside [x0, x1) x [y0, y1), with its sash profile, glass, opening symbol and handle.
void drawLeaf(Canvas& c, int x0, int y0, int x1, int y1, const LeafSpec& s, Rgb frameCol) {
    const Rgb edge = mix(frameCol, kLine, 0.55);
    const int t = s.kind == Leaf::Fixed ? 0 : 5;
    if (t > 0) {
        c.fillRect(x0, y0, x1, y1, frameCol);
        c.frame(x0, y0, x1, y1, 1, edge);
    }
    const int gx0 = x0 + t, gy0 = y0 + t, gx1 = x1 - t, gy1 = y1 - t;
    if (s.glass) {
        c.gradient(gx0, gy0, gx1, gy1, kGlassTop, kGlassBottom);
        // a reflection
        c.line(gx0 + (gx1 - gx0) * 0.15, gy0 + (gy1 - gy0) * 0.35, gx0 + (gx1 - gx0) * 0.35,
               gy0 + (gy1 - gy0) * 0.15, {250, 252, 255}, 2);
    } else {
        c.gradient(gx0, gy0, gx1, gy1, mix(frameCol, {255, 255, 255}, 0.2),
                   mix(frameCol, kLine, 0.15));
        c.frame(gx0 + 6, gy0 + 8, gx1 - 6, gy0 + (gy1 - gy0) * 2 / 5, 1, edge);
        c.frame(gx0 + 6, gy0 + (gy1 - gy0) / 2, gx1 - 6, gy1 - 8, 1, edge);
    }
    c.frame(gx0, gy0, gx1, gy1, 1, edge);
    const double mx = (gx0 + gx1) / 2.0, my = (gy0 + gy1) / 2.0;
    const double hinge = s.hingeRight ? gx1 - 1 : gx0;
    const double handle = s.hingeRight ? gx0 + 1 : gx1 - 2;
    switch (s.kind) {
    case Leaf::Fixed:
        c.line(mx - 5, my, mx + 5, my, kLine);
        c.line(mx, my - 5, mx, my + 5, kLine);
        break;
    case Leaf::Turn:
    case Leaf::Door:
        c.line(handle, gy0, hinge, my, kLine);
        c.line(handle, gy1 - 1, hinge, my, kLine);
        break;
    case Leaf::Tilt:
        c.line(gx0, gy0, mx, gy1 - 1, kLine, 1, 3);
        c.line(gx1 - 1, gy0, mx, gy1 - 1, kLine, 1, 3);
        break;
    case Leaf::TiltTurn:
        c.line(handle, gy0, hinge, my, kLine);
        c.line(handle, gy1 - 1, hinge, my, kLine);
        c.line(gx0, gy0, mx, gy1 - 1, kLine, 1, 3);
        c.line(gx1 - 1, gy0, mx, gy1 - 1, kLine, 1, 3);
        break;
    case Leaf::TiltSlide:
        c.line(gx0, gy0, mx, gy1 - 1, kLine, 1, 3);
        c.line(gx1 - 1, gy0, mx, gy1 - 1, kLine, 1, 3);
        [[fallthrough]];
    case Leaf::Slide:
    case Leaf::LiftSlide: {
        const double y = s.kind == Leaf::LiftSlide ? my + (gy1 - gy0) * 0.2 : my;
        const double a = s.hingeRight ? gx0 + 8 : gx1 - 8;
        const double b = s.hingeRight ? gx1 - 8 : gx0 + 8;
        drawArrow(c, a, y, b, kLine);
        if (s.kind == Leaf::LiftSlide) {
            c.line(a, y, a, y - 12, kLine, 2);
            c.line(a, y - 12, a - 4, y - 8, kLine, 2);
            c.line(a, y - 12, a + 4, y - 8, kLine, 2);
        }
        break;
    }
    }
    if (s.kind != Leaf::Fixed) {
        // the handle on the locking side (on top for a bottom-hung leaf)
        if (s.kind == Leaf::Tilt) {
            c.fillRect(static_cast<int>(mx) - 6, y0 + 1, static_cast<int>(mx) + 6, y0 + 4, kHandle);
        } else {
            const int hx = s.hingeRight ? x0 + 1 : x1 - 4;
            const int hy = s.kind == Leaf::Door ? y0 + (y1 - y0) / 2 : static_cast<int>(my);
            c.fillRect(hx, hy - 8, hx + 3, hy + 8, kHandle);
        }
    }
}

struct Drawing {
    int width = 120, height = 150;
    std::vector<LeafSpec> leaves;
    std::vector<int> weights; // relative leaf widths
    Rgb frame{238, 238, 236};
    bool sill = false;    // threshold bar at the bottom
    bool slanted = false; // top edge falls towards the hinge side
    bool transom = false; // fixed pane above the leaves
    bool sideLight = false;
};

Canvas render(const Drawing& d, bool slantRight) {
    Canvas c(d.width, d.height, kPaper);
    const int margin = 6;
    const int fx0 = margin, fy0 = margin, fx1 = d.width - margin, fy1 = d.height - margin;
    const int ft = 6;
    c.fillRect(fx0, fy0, fx1, fy1, d.frame);
    c.frame(fx0, fy0, fx1, fy1, 1, mix(d.frame, kLine, 0.6));
    int ix0 = fx0 + ft, iy0 = fy0 + ft, ix1 = fx1 - ft, iy1 = fy1 - ft;
    if (d.sill) {
        c.fillRect(fx0, fy1 - 5, fx1, fy1, kSill);
        iy1 = fy1 - 5;
    }
    if (d.transom) {
        const int ty = iy0 + (iy1 - iy0) / 4;
        drawLeaf(c, ix0, iy0, ix1, ty, {Leaf::Fixed, true, true}, d.frame);
        c.fillRect(ix0, ty, ix1, ty + 4, d.frame);
        iy0 = ty + 4;
    }
    if (d.sideLight) {
        const int sx = ix0 + (ix1 - ix0) / 3;
        drawLeaf(c, ix0, iy0, sx, iy1, {Leaf::Fixed, true, true}, d.frame);
        c.fillRect(sx, iy0, sx + 4, iy1, d.frame);
        ix0 = sx + 4;
    }
    int total = 0;
    for (int w : d.weights) {
        total += w;
    }
    int x = ix0;
    for (size_t i = 0; i < d.leaves.size(); ++i) {
        const int w = (ix1 - ix0) * d.weights[i] / std::max(1, total);
        const int xe = i + 1 == d.leaves.size() ? ix1 : x + w;
        drawLeaf(c, x, iy0, xe, iy1, d.leaves[i], d.frame);
        x = xe;
    }
    if (d.slanted) {
        // the top edge falls towards the hinge side: nothing above it, frame and sash below it
        const Rgb edge = mix(d.frame, kLine, 0.6);
        for (int px = 0; px < d.width; ++px) {
            const double t = static_cast<double>(px) / (d.width - 1);
            const double rise = (slantRight ? t : 1 - t) * d.height * 0.35;
            const int top = margin + static_cast<int>(std::lround(rise));
            for (int py = 0; py < top; ++py) {
                c.set(px, py, kPaper);
            }
            if (px < fx0 || px >= fx1) {
                continue;
            }
            for (int py = top; py < top + 2 * ft; ++py) {
                c.set(px, py, d.frame);
            }
            c.set(px, top, edge);
            c.set(px, top + ft, edge);
            c.set(px, top + 2 * ft - 1, edge);
        }
    }
    return c;
}

bool inRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

Rgb materialColour(int material) {
    switch (material) {
    case 1:
        return {152, 98, 54}; // wood
    case 2:
        return {172, 178, 184}; // light metal
    default:
        return {238, 238, 236}; // plastic, white
    }
}

bool isThreshold(int t) {
    return t == 3 || inRange(t, 23, 27) || t == 48 || t == 49 || inRange(t, 60, 69) ||
           inRange(t, 75, 77);
}

Drawing typeDrawing(int type, int opening, int material) {
    Drawing d;
    const bool right = opening == 0;
    d.frame = isThreshold(type) ? materialColour(0) : materialColour(material);
    auto single = [&](Leaf k) {
        d.leaves = {{k, right, true}};
        d.weights = {1};
    };
    auto pair = [&](Leaf active) {
        // the active leaf on the opening side, the passive (turn only) one beside it
        if (right) {
            d.leaves = {{Leaf::Turn, false, true}, {active, true, true}};
        } else {
            d.leaves = {{active, false, true}, {Leaf::Turn, true, true}};
        }
        d.weights = {1, 1};
    };
    if (type == 3 || inRange(type, 23, 27)) {
        d.width = 180;
        d.height = 120;
        d.sill = true;
        const LeafSpec slide{Leaf::LiftSlide, right, true};
        const LeafSpec back{Leaf::LiftSlide, !right, true};
        const LeafSpec fixed{Leaf::Fixed, right, true};
        switch (material) {
        case 1: // C scheme: two sliding leaves between two fixed fields
            d.leaves = {fixed, back, slide, fixed};
            d.weights = {1, 1, 1, 1};
            break;
        case 2: // D scheme: two sliding leaves
            d.leaves = {back, slide};
            d.weights = {1, 1};
            break;
        case 3: // E scheme
            d.leaves = {fixed, slide, fixed};
            d.weights = {1, 1, 1};
            break;
        case 4: // L scheme
            d.leaves = {back, fixed, fixed, slide};
            d.weights = {1, 1, 1, 1};
            break;
        default: // A scheme: one sliding leaf beside a fixed field
            d.leaves =
                right ? std::vector<LeafSpec>{fixed, slide} : std::vector<LeafSpec>{slide, fixed};
            d.weights = {1, 1};
            break;
        }
        return d;
    }
    if (inRange(type, 71, 73)) {
        d.width = 180;
        d.height = type == 73 ? 110 : 130;
        const LeafSpec slide{Leaf::TiltSlide, right, true};
        const LeafSpec fixed{Leaf::Fixed, right, true};
        d.leaves =
            right ? std::vector<LeafSpec>{fixed, slide} : std::vector<LeafSpec>{slide, fixed};
        d.weights = {1, 1};
        return d;
    }
    if (inRange(type, 61, 69)) {
        d.width = 110;
        d.height = 170;
        d.sill = true;
        d.frame = {120, 72, 40};
        const bool twin = type == 62 || type == 67;
        if (twin) {
            d.leaves = {{Leaf::Door, false, false}, {Leaf::Door, true, false}};
            d.weights = {1, 1};
            d.width = 150;
        } else {
            d.leaves = {{Leaf::Door, right, false}};
            d.weights = {1};
        }
        d.transom = type == 63;
        return d;
    }
    if (type == 48 || type == 49 || type == 60 || inRange(type, 75, 77)) {
        d.width = type == 49 || type == 77 ? 150 : 110;
        d.height = 170;
        d.sill = true;
        const Leaf k = type == 60 ? Leaf::Door : Leaf::TiltTurn;
        if (type == 49 || type == 77) {
            pair(k);
        } else {
            single(k);
        }
        d.leaves.back().glass = type != 60;
        d.transom = material == 1;
        d.sideLight = material == 2;
        return d;
    }
    if (inRange(type, 15, 22) || type == 90 || type == 91) {
        d.width = type == 16 || type == 91 ? 150 : 110;
        d.height = 170;
        d.sill = true;
        if (type == 16 || type == 91) {
            pair(Leaf::TiltTurn);
        } else {
            single(type == 18 || type == 22 ? Leaf::Turn : Leaf::TiltTurn);
        }
        d.transom = type == 19;
        d.sideLight = type == 20;
        return d;
    }
    if (type == 70) {
        single(Leaf::TiltTurn);
        d.slanted = true;
        return d;
    }
    if (type == 4 || type == 89) {
        d.width = 140;
        d.height = 100;
        single(Leaf::Tilt);
        return d;
    }
    if (type == 8 || type == 88) {
        single(Leaf::Turn);
        return d;
    }
    if (type == 9) {
        d.width = 100;
        d.height = 110;
        single(Leaf::TiltTurn);
        return d;
    }
    if (type == 2 || type == 14 || type == 41 || type == 87 || type == 95) {
        d.width = 160;
        pair(Leaf::TiltTurn);
        return d;
    }
    single(Leaf::TiltTurn);
    return d;
}

// ---------------------------------------------------------------- file writers

void writeFile(const fs::path& file, const void* data, size_t size) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

void put16(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    b[at] = static_cast<unsigned char>(v & 0xFF);
    b[at + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}
void put32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// An 8-bit palette BMP: a 6x6x6 colour cube and 40 greys, ordered dithering into the cube.
void writeBmp(const fs::path& file, const Canvas& c) {
    std::array<Rgb, 256> palette{};
    for (int i = 0; i < 216; ++i) {
        palette[static_cast<size_t>(i)] = {(i / 36) * 51, ((i / 6) % 6) * 51, (i % 6) * 51};
    }
    for (int i = 0; i < 40; ++i) {
        const int g = 3 + i * 252 / 39;
        palette[static_cast<size_t>(216 + i)] = {g, g, g};
    }
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const int w = c.width(), h = c.height();
    const int stride = (w + 3) / 4 * 4;
    const size_t dataOffset = 14 + 40 + 256 * 4;
    const size_t size = dataOffset + static_cast<size_t>(stride) * h;
    std::vector<unsigned char> b(size, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<uint32_t>(size));
    put32(b, 10, static_cast<uint32_t>(dataOffset));
    put32(b, 14, 40);
    put32(b, 18, static_cast<uint32_t>(w));
    put32(b, 22, static_cast<uint32_t>(h));
    put16(b, 26, 1);
    put16(b, 28, 8);
    put32(b, 30, 0); // no compression
    put32(b, 34, static_cast<uint32_t>(stride * h));
    put32(b, 38, 2835); // 72 dpi
    put32(b, 42, 2835);
    put32(b, 46, 256);
    put32(b, 50, 0);
    for (size_t i = 0; i < 256; ++i) {
        b[54 + i * 4] = static_cast<unsigned char>(palette[i].b);
        b[54 + i * 4 + 1] = static_cast<unsigned char>(palette[i].g);
        b[54 + i * 4 + 2] = static_cast<unsigned char>(palette[i].r);
    }
    for (int y = 0; y < h; ++y) {
        unsigned char* row = b.data() + dataOffset + static_cast<size_t>(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            const Rgb p = c.get(x, y);
            if (p.r == p.g && p.g == p.b) {
                row[x] = static_cast<unsigned char>(216 + std::lround(p.r * 39 / 255.0));
                continue;
            }
            const double threshold = (bayer[y % 4][x % 4] + 0.5) / 16.0;
            auto level = [threshold](int v) {
                const double l = v / 51.0;
                const double f = std::floor(l);
                return std::min(5, static_cast<int>(f) + (l - f > threshold ? 1 : 0));
            };
            row[x] = static_cast<unsigned char>(level(p.r) * 36 + level(p.g) * 6 + level(p.b));
        }
    }
    writeFile(file, b.data(), b.size());
}

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegFail(j_common_ptr info) {
    auto* e = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, e->message);
    std::longjmp(e->jump, 1);
}

// Encodes the picture; `comments` are written as COM segments right after the JFIF header.
std::vector<unsigned char> encodeJpeg(const Canvas& c, int quality,
                                      const std::vector<std::string>& comments) {
    jpeg_compress_struct info{};
    JpegError err{};
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegFail;
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    if (setjmp(err.jump) != 0) {
        jpeg_destroy_compress(&info);
        std::free(mem);
        throw std::runtime_error(std::string("JPEG encoding failed: ") + err.message);
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &mem, &memSize);
    info.image_width = static_cast<JDIMENSION>(c.width());
    info.image_height = static_cast<JDIMENSION>(c.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (const auto& text : comments) {
        jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>(text.data()),
                          static_cast<unsigned int>(text.size()));
    }
    const auto stride = static_cast<size_t>(c.width()) * 3;
    std::vector<unsigned char> row(stride);
    while (info.next_scanline < info.image_height) {
        std::memcpy(row.data(), c.pixels().data() + info.next_scanline * stride, stride);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<unsigned char> out(mem, mem + memSize);
    std::free(mem);
    return out;
}

void writeJpeg(const fs::path& file, const Canvas& c, int quality) {
    const auto data = encodeJpeg(c, quality, {"Ka-vasalatok demo"});
    writeFile(file, data.data(), data.size());
}

// A JPEG of exactly `bytes` bytes: encoded as well as fits, then filled up with comment
// segments (4 bytes of marker and length each, at most 65533 bytes of text).
void writeJpegOfSize(const fs::path& file, const Canvas& c, std::uintmax_t bytes) {
    const std::string note = "Ka-vasalatok demo background. ";
    for (int quality = 95; quality >= 40; quality -= 5) {
        const auto plain = encodeJpeg(c, quality, {});
        if (plain.size() + 4 > bytes) {
            continue;
        }
        std::uintmax_t extra = bytes - plain.size();
        const std::uintmax_t segments = (extra + 65536) / 65537;
        std::vector<std::string> comments;
        for (std::uintmax_t i = 0; i < segments; ++i) {
            const std::uintmax_t left = segments - i;
            const std::uintmax_t take = std::min<std::uintmax_t>(65537, extra - 4 * (left - 1));
            std::string text;
            while (text.size() < take - 4) {
                text += note;
            }
            text.resize(static_cast<size_t>(take - 4));
            comments.push_back(std::move(text));
            extra -= take;
        }
        const auto data = encodeJpeg(c, quality, comments);
        if (data.size() != bytes) {
            throw std::runtime_error("the background picture came out with " +
                                     std::to_string(data.size()) + " bytes instead of " +
                                     std::to_string(bytes));
        }
        writeFile(file, data.data(), data.size());
        return;
    }
    throw std::runtime_error("the background picture does not fit into " + std::to_string(bytes) +
                             " bytes");
}

// ---------------------------------------------------------------- the big pictures

// Copies a drawing onto the picture; the drawing's own background stays transparent.
void paste(Canvas& c, const Canvas& d, int ox, int oy) {
    for (int y = 0; y < d.height(); ++y) {
        for (int x = 0; x < d.width(); ++x) {
            const Rgb p = d.get(x, y);
            if (p.r != kPaper.r || p.g != kPaper.g || p.b != kPaper.b) {
                c.set(ox + x, oy + y, p);
            }
        }
    }
}

// A house front: two windows beside a double balcony door, standing on `ground`. `unit` is
// the width of a window.
void drawFacade(Canvas& c, int ground, int unit, Rgb frameCol) {
    Drawing win = typeDrawing(1, 1, 0);
    Drawing door = typeDrawing(16, 0, 0);
    win.frame = door.frame = frameCol;
    win.width = unit;
    win.height = unit * 5 / 4;
    door.width = unit * 7 / 5;
    door.height = unit * 21 / 10;
    const int gap = unit * 2 / 5;
    const int total = 2 * win.width + door.width + 2 * gap;
    const int x0 = (c.width() - total) / 2;
    const int doorTop = ground - door.height;
    const int winTop = doorTop + unit / 10;
    paste(c, render(win, false), x0, winTop);
    paste(c, render(door, false), x0 + win.width + gap, doorTop);
    Drawing right = win;
    right = typeDrawing(1, 0, 0);
    right.frame = frameCol;
    right.width = win.width;
    right.height = win.height;
    paste(c, render(right, false), x0 + win.width + door.width + 2 * gap, winTop);
}

Canvas splash() {
    Canvas c(460, 290, {0, 0, 0});
    c.gradient(0, 0, 460, 290, {28, 62, 98}, {150, 186, 214});
    c.fillRect(0, 232, 460, 290, {44, 52, 64});
    c.gradient(0, 232, 460, 236, {200, 160, 60}, {160, 120, 40});
    drawFacade(c, 232, 90, {240, 240, 238});
    c.frame(8, 8, 452, 282, 2, {220, 228, 236});
    return c;
}

Canvas background(bool second) {
    Canvas c(1024, 768, {0, 0, 0});
    const Rgb top = second ? Rgb{88, 44, 40} : Rgb{40, 70, 92};
    const Rgb bottom = second ? Rgb{214, 196, 170} : Rgb{206, 220, 228};
    c.gradient(0, 0, 1024, 768, top, bottom);
    c.grain(7, second ? 77u : 41u);
    c.gradient(0, 640, 1024, 768, mix(bottom, {60, 60, 60}, 0.5), {50, 50, 54});
    drawFacade(c, 640, 210, second ? Rgb{170, 112, 66} : Rgb{236, 236, 234});
    return c;
}

} // namespace

namespace {

// How many materials (sliding schemes) the picture names of a type distinguish; 1 when the
// name carries no material.
int pictureMaterials(int type) {
    if (type == 23) {
        return 5;
    }
    if (type == 3 || inRange(type, 24, 27) || type == 48 || type == 49 || type == 60 ||
        inRange(type, 75, 77)) {
        return 3;
    }
    return 1;
}

std::string pictureName(int type, int opening, int material) {
    std::string name = std::to_string(type) + std::to_string(opening);
    if (type == 3) {
        name += "0";
    }
    if (pictureMaterials(type) > 1) {
        name += std::to_string(material);
    }
    return name + ".bmp";
}

} // namespace

std::vector<std::string> typePictureNames(int type) {
    std::vector<std::string> names;
    for (int opening = 0; opening < 2; ++opening) {
        for (int m = 0; m < pictureMaterials(type); ++m) {
            names.push_back(pictureName(type, opening, m));
        }
    }
    return names;
}

void writePictures(const fs::path& programDir, const std::vector<int>& typeCodes) {
    const fs::path icon = programDir / "icon";
    const fs::path ment = programDir / "ment";
    fs::create_directories(icon);
    fs::create_directories(ment);
    writeJpeg(icon / "nyitokep.jpg", splash(), 90);
    writeJpegOfSize(icon / "hatter.jpg", background(false), kBackgroundBytes);
    writeJpeg(icon / "hatterDS.jpg", background(true), 88);
    fs::copy_file(icon / "hatter.jpg", ment / "hatter.db", fs::copy_options::overwrite_existing);
    // A type whose picture names carry no material is drawn in white plastic.
    for (int type : typeCodes) {
        for (int opening = 0; opening < 2; ++opening) {
            for (int m = 0; m < pictureMaterials(type); ++m) {
                writeBmp(icon / pictureName(type, opening, m),
                         render(typeDrawing(type, opening, m), opening == 0));
            }
        }
    }
}

} // namespace setup
