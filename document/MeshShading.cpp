// Mesh shadings (free-form and lattice triangles, Coons and tensor patches) read into flat
// pieces: each triangle or patch cut into small parts, each part in the colour at its middle,
// so that the painter approximates the smooth colours over the mesh's own area.
#include <algorithm>
#include <array>
#include <cmath>

#include "core/NumberConversion.h"
#include "core/ResourceLimits.h"
#include "document/PdfDocument.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

// Parts the mesh is cut into at most, all triangles and patches together.
constexpr size_t MaxMeshParts = 1 << 14;
constexpr size_t MaxMeshComponents = 8;

// Reads values of up to 32 bits, high bits first, from the decoded mesh data.
class BitReader {
public:
    explicit BitReader(const std::string& data) : data_(data) {}
    bool Has(int bits) const { return bit_ + static_cast<uint64_t>(bits) <= uint64_t{data_.size()} * 8; }
    uint64_t Read(int bits)
    {
        uint64_t value = 0;
        for (int b = 0; b < bits; ++b, ++bit_)
            value = value << 1 | ((static_cast<uint8_t>(data_[bit_ / 8]) >> (7 - bit_ % 8)) & 1);
        return value;
    }
    void Align() { bit_ = (bit_ + 7) / 8 * 8; }

private:
    const std::string& data_;
    uint64_t bit_ = 0;
};

struct Vertex {
    double x = 0, y = 0;
    std::array<double, MaxMeshComponents> c{};
};

Vertex Mix(const Vertex& a, const Vertex& b, const Vertex& c, double wa, double wb, double wc, size_t n)
{
    Vertex v;
    v.x = a.x * wa + b.x * wb + c.x * wc;
    v.y = a.y * wa + b.y * wb + c.y * wc;
    for (size_t k = 0; k < n; ++k) v.c[k] = a.c[k] * wa + b.c[k] * wb + c.c[k] * wc;
    return v;
}

// A point of a cubic Bézier curve.
std::array<double, 2> Bezier(const std::array<double, 2>* p, double t)
{
    const double u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return {a * p[0][0] + b * p[1][0] + c * p[2][0] + d * p[3][0], a * p[0][1] + b * p[1][1] + c * p[2][1] + d * p[3][1]};
}

}  // namespace

void PdfDocument::ReadMesh(int32_t number, const TokenList& dictionary, const ShadingSpace& space, Shading& shading)
{
    const int type = shading.type;
    auto integer = [&](const char* key) {
        const size_t at = ValueIndex(dictionary, 0, key);
        return at ? IntegerOrZero(dictionary[at]) : 0;
    };
    const int coordinateBits = integer("/BitsPerCoordinate"), componentBits = integer("/BitsPerComponent");
    const int flagBits = integer("/BitsPerFlag"), perRow = integer("/VerticesPerRow");
    const bool withFunction = ValueIndex(dictionary, 0, "/Function") != 0;
    // A vertex gives a function's input, a separation's tint, or the space's components; the
    // inks of a DeviceN space are not counted here.
    const bool separation = space.space.size() > 1 && space.space[1] == "/Separation";
    const size_t components = withFunction || space.tintAt || separation ? 1 : space.subtractive ? 0 : space.components;
    std::vector<double> decode;
    for (const std::string& token : objects.ValueTokens(dictionary, ValueIndex(dictionary, 0, "/Decode"))) {
        if (const auto value = NumberText(token); value && std::isfinite(*value)) decode.push_back(*value);
    }
    if (coordinateBits < 1 || coordinateBits > 32 || componentBits < 1 || componentBits > 16 || components < 1 ||
        components > MaxMeshComponents || decode.size() < 4 + 2 * components || (type != 5 && flagBits != 2 && flagBits != 4 && flagBits != 8) ||
        (type == 5 && (perRow < 2 || perRow > 1 << 20)))
        return;
    const auto data = objects.DecodedStream(number, MaxSampleBytes);
    if (!data) return;
    BitReader reader(*data.value);

    // The colour of a vertex's values: through the function or the tint transform, or by the
    // space's components; functions are sampled once over their range.
    std::vector<uint32_t> table;
    const bool tabled = withFunction || space.tintAt;
    const double low = decode[4], high = decode[5];
    if (tabled) {
        for (int k = 0; k < 256; ++k) {
            const double t = withFunction ? low + (high - low) * k / 255 : k / 255.0;
            if (withFunction) table.push_back(ShadingColourAt(dictionary, space, t));
            else table.push_back(ColourOfShadingValues(space, FunctionValues(space.space, space.tintAt, t)));
        }
    }
    auto colourOf = [&](const Vertex& v) {
        if (!tabled) return ColourOfShadingValues(space, std::vector<double>(v.c.begin(), v.c.begin() + static_cast<std::ptrdiff_t>(components)));
        const double span = withFunction ? high - low : 1;
        const double at = span != 0 ? (v.c[0] - (withFunction ? low : 0)) / span : 0;
        return table[static_cast<size_t>(std::clamp(std::round(at * 255), 0.0, 255.0))];
    };
    // A point, then a colour, each scaled into its /Decode range; false where the data end.
    const double coordinateMax = std::ldexp(1.0, coordinateBits) - 1, componentMax = std::ldexp(1.0, componentBits) - 1;
    auto readPoint = [&](double& x, double& y) {
        if (!reader.Has(2 * coordinateBits)) return false;
        x = decode[0] + static_cast<double>(reader.Read(coordinateBits)) * (decode[1] - decode[0]) / coordinateMax;
        y = decode[2] + static_cast<double>(reader.Read(coordinateBits)) * (decode[3] - decode[2]) / coordinateMax;
        return true;
    };
    auto readColour = [&](Vertex& v) {
        if (!reader.Has(static_cast<int>(components) * componentBits)) return false;
        for (size_t k = 0; k < components; ++k)
            v.c[k] = decode[4 + 2 * k] + static_cast<double>(reader.Read(componentBits)) * (decode[5 + 2 * k] - decode[4 + 2 * k]) / componentMax;
        return true;
    };
    auto readVertex = [&](Vertex& v) { return readPoint(v.x, v.y) && readColour(v); };

    // Triangles and patches are counted first: the parts each is cut into share the bound.
    std::vector<std::array<Vertex, 3>> triangles;
    std::vector<std::pair<std::array<std::array<double, 2>, 12>, std::array<Vertex, 4>>> patches;
    if (type == 4) {
        std::array<Vertex, 3> last{};
        size_t seen = 0;
        while (reader.Has(flagBits) && triangles.size() < MaxMeshParts) {
            const uint64_t flag = reader.Read(flagBits);
            Vertex v;
            if (!readVertex(v)) break;
            reader.Align();
            if (flag == 0 || seen < 3) {
                // A new triangle: this vertex and the two after it, whose flags say nothing.
                last[0] = v;
                bool complete = true;
                for (size_t k = 1; k < 3 && complete; ++k) {
                    complete = reader.Has(flagBits);
                    if (complete) reader.Read(flagBits);
                    complete = complete && readVertex(last[k]);
                    reader.Align();
                }
                if (!complete) break;
                seen = 3;
            } else {
                last = flag == 1 ? std::array<Vertex, 3>{last[1], last[2], v} : std::array<Vertex, 3>{last[0], last[2], v};
            }
            triangles.push_back(last);
        }
    } else if (type == 5) {
        std::vector<Vertex> previous, row;
        while (triangles.size() < MaxMeshParts) {
            row.clear();
            for (int k = 0; k < perRow; ++k) {
                Vertex v;
                if (!readVertex(v)) break;
                row.push_back(v);
            }
            if (row.size() < static_cast<size_t>(perRow)) break;
            for (size_t k = 0; !previous.empty() && k + 1 < row.size(); ++k) {
                triangles.push_back({previous[k], previous[k + 1], row[k]});
                triangles.push_back({previous[k + 1], row[k + 1], row[k]});
            }
            previous.swap(row);
        }
    } else {
        // Coons (6) and tensor (7) patches: their boundary of twelve points and four corner colours;
        // a patch that continues the last one takes the shared edge and its two colours from it.
        std::array<std::array<double, 2>, 12> points{};
        std::array<Vertex, 4> corners{};
        bool started = false;
        const int inner = type == 7 ? 4 : 0;
        while (reader.Has(flagBits) && patches.size() < MaxMeshParts) {
            const uint64_t flag = reader.Read(flagBits);
            if (flag > 3 || (flag != 0 && !started)) break;
            std::array<std::array<double, 2>, 12> next{};
            std::array<Vertex, 4> colours{};
            size_t from = 0;
            if (flag != 0) {
                const size_t edge = 3 * flag;
                for (size_t k = 0; k < 4; ++k) next[k] = points[(edge + k) % 12];
                colours[0] = corners[flag % 4];
                colours[1] = corners[(flag + 1) % 4];
                from = 4;
            }
            const int count = 12 - static_cast<int>(from) + inner;
            bool complete = true;
            for (int k = 0; k < count && complete; ++k) {
                // The inner points of a tensor patch are read past: the boundary gives its area.
                std::array<double, 2> point{};
                complete = readPoint(point[0], point[1]);
                if (from + static_cast<size_t>(k) < 12) next[from + static_cast<size_t>(k)] = point;
            }
            for (size_t k = from / 2; k < 4 && complete; ++k) complete = readColour(colours[k]);
            if (!complete) break;
            reader.Align();
            points = next;
            corners = colours;
            started = true;
            patches.push_back({points, corners});
        }
    }

    const size_t pieces = triangles.size() + patches.size();
    if (pieces == 0) return;
    // Each triangle in cut² parts, each patch in cut² cells.
    const int cut = std::clamp(static_cast<int>(std::sqrt(static_cast<double>(MaxMeshParts) / static_cast<double>(pieces))), 1, 8);
    for (const auto& t : triangles) {
        for (int i = 0; i < cut; ++i) {
            for (int j = 0; j + i < cut; ++j) {
                // The upward part at (i, j) and, but for the last in its row, the downward one.
                for (int down = 0; down < (i + j + 1 < cut ? 2 : 1); ++down) {
                    double w[3][3];
                    const int corners[2][3][2] = {{{i, j}, {i + 1, j}, {i, j + 1}}, {{i + 1, j}, {i + 1, j + 1}, {i, j + 1}}};
                    for (int k = 0; k < 3; ++k) {
                        w[k][1] = static_cast<double>(corners[down][k][0]) / cut;
                        w[k][2] = static_cast<double>(corners[down][k][1]) / cut;
                        w[k][0] = 1 - w[k][1] - w[k][2];
                    }
                    Shading::MeshPart part;
                    part.count = 3;
                    for (int k = 0; k < 3; ++k) {
                        const Vertex p = Mix(t[0], t[1], t[2], w[k][0], w[k][1], w[k][2], components);
                        part.points[2 * k] = p.x, part.points[2 * k + 1] = p.y;
                    }
                    const double a = (w[0][0] + w[1][0] + w[2][0]) / 3, b = (w[0][1] + w[1][1] + w[2][1]) / 3;
                    part.colour = colourOf(Mix(t[0], t[1], t[2], a, b, 1 - a - b, components));
                    shading.mesh.push_back(part);
                }
            }
        }
    }
    for (const auto& [p, c] : patches) {
        // The boundary as four curves: u along the first and third, v along the second and fourth.
        const std::array<double, 2> bottom[4] = {p[0], p[1], p[2], p[3]}, top[4] = {p[9], p[8], p[7], p[6]};
        const std::array<double, 2> left[4] = {p[0], p[11], p[10], p[9]}, right[4] = {p[3], p[4], p[5], p[6]};
        auto surface = [&](double u, double v) {
            const auto b = Bezier(bottom, u), t = Bezier(top, u), l = Bezier(left, v), r = Bezier(right, v);
            std::array<double, 2> s{};
            for (int k = 0; k < 2; ++k)
                s[k] = (1 - v) * b[k] + v * t[k] + (1 - u) * l[k] + u * r[k] -
                       ((1 - u) * (1 - v) * p[0][k] + u * (1 - v) * p[3][k] + u * v * p[6][k] + (1 - u) * v * p[9][k]);
            return s;
        };
        for (int i = 0; i < cut; ++i) {
            for (int j = 0; j < cut; ++j) {
                const double u0 = static_cast<double>(i) / cut, u1 = static_cast<double>(i + 1) / cut;
                const double v0 = static_cast<double>(j) / cut, v1 = static_cast<double>(j + 1) / cut;
                Shading::MeshPart part;
                part.count = 4;
                const std::array<double, 2> q[4] = {surface(u0, v0), surface(u1, v0), surface(u1, v1), surface(u0, v1)};
                for (int k = 0; k < 4; ++k) part.points[2 * k] = q[k][0], part.points[2 * k + 1] = q[k][1];
                // The corner colours belong to points 0, 3, 6 and 9: (0,0), (1,0), (1,1), (0,1) in (u, v).
                const double u = (u0 + u1) / 2, v = (v0 + v1) / 2;
                Vertex mixed;
                for (size_t k = 0; k < components; ++k)
                    mixed.c[k] = (1 - u) * (1 - v) * c[0].c[k] + u * (1 - v) * c[1].c[k] + u * v * c[2].c[k] + (1 - u) * v * c[3].c[k];
                part.colour = colourOf(mixed);
                shading.mesh.push_back(part);
            }
        }
    }
}

}  // namespace folivo
