// orvanthe-modelshot MD2 SKIN OUTDIR [--frames 1,4,40] [--yaw DEG] [--size PX] [--dist D] [--cull]
//
// Development aid: renders keyframes of an MD2 model with its BMP skin,
// offscreen through OSMesa, and writes OUTDIR/frame-NN.png. It reads the
// files with its own small reader and draws them the way the game does
// (unlit, corners 0, 2, 1, t measured up from the bottom row), over a grid
// on the ground plane 23 units below the model origin. --cull hides faces
// that turn away from the camera, which shows any triangle stored inside out.
#include <GL/osmesa.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> ReadAll(const char* path) {
    std::vector<uint8_t> data;
    FILE* f = std::fopen(path, "rb");
    if (!f) return data;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    return data;
}

int32_t I32(const std::vector<uint8_t>& d, size_t at) {
    return int32_t(uint32_t(d[at]) | uint32_t(d[at + 1]) << 8 | uint32_t(d[at + 2]) << 16 | uint32_t(d[at + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t>& d, size_t at) { return uint16_t(d[at] | d[at + 1] << 8); }
float F32(const std::vector<uint8_t>& d, size_t at) {
    uint32_t bits = uint32_t(I32(d, at));
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

struct Md2 {
    int numXyz = 0, numFrames = 0;
    std::vector<float> st;             // s, t in texels
    std::vector<uint16_t> tris;        // 6 per triangle: xyz[3], st[3]
    std::vector<float> verts;          // game axes, 3 per vertex, frame after frame
};

bool LoadMd2(const char* path, Md2& m) {
    std::vector<uint8_t> d = ReadAll(path);
    if (d.size() < 68 || I32(d, 4) != 8) return false;
    const int frameSize = I32(d, 16), numSt = I32(d, 28), numTris = I32(d, 32);
    m.numXyz = I32(d, 24);
    m.numFrames = I32(d, 40);
    const size_t ofsSt = size_t(I32(d, 48)), ofsTris = size_t(I32(d, 52)), ofsFrames = size_t(I32(d, 56));
    if (ofsSt + size_t(numSt) * 4 > d.size() || ofsTris + size_t(numTris) * 12 > d.size() ||
        ofsFrames + size_t(m.numFrames) * size_t(frameSize) > d.size() || frameSize < 40 + 4 * m.numXyz)
        return false;
    for (int i = 0; i < numSt; ++i) {
        m.st.push_back(float(int16_t(U16(d, ofsSt + size_t(i) * 4))));
        m.st.push_back(float(int16_t(U16(d, ofsSt + size_t(i) * 4 + 2))));
    }
    for (int i = 0; i < numTris * 6; ++i) {
        uint16_t v = U16(d, ofsTris + size_t(i) * 2);
        if ((i % 6 < 3 && v >= m.numXyz) || (i % 6 >= 3 && v >= numSt)) return false;
        m.tris.push_back(v);
    }
    for (int f = 0; f < m.numFrames; ++f) {
        size_t at = ofsFrames + size_t(f) * size_t(frameSize);
        float scale[3], translate[3];
        for (int a = 0; a < 3; ++a) scale[a] = F32(d, at + size_t(a) * 4), translate[a] = F32(d, at + 12 + size_t(a) * 4);
        for (int v = 0; v < m.numXyz; ++v) {
            const uint8_t* b = &d[at + 40 + size_t(v) * 4];
            m.verts.push_back(b[0] * scale[0] + translate[0]);
            m.verts.push_back(b[2] * scale[2] + translate[2]);  // file's third axis is up
            m.verts.push_back(b[1] * scale[1] + translate[1]);
        }
    }
    return true;
}

struct Bmp {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // bottom row first, as stored
};

bool LoadBmp(const char* path, Bmp& b) {
    std::vector<uint8_t> d = ReadAll(path);
    if (d.size() < 54 || d[0] != 'B' || d[1] != 'M' || U16(d, 28) != 24) return false;
    b.width = I32(d, 18);
    b.height = I32(d, 22);
    const size_t offBits = size_t(I32(d, 10));
    const size_t row = (size_t(b.width) * 3 + 3) & ~size_t(3);
    if (b.width <= 0 || b.height <= 0 || offBits + row * size_t(b.height) > d.size()) return false;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            const uint8_t* p = &d[offBits + size_t(y) * row + size_t(x) * 3];
            b.rgb.insert(b.rgb.end(), {p[2], p[1], p[0]});
        }
    return true;
}

// PNG with stored (uncompressed) deflate blocks: no zlib needed.
uint32_t Crc(const uint8_t* p, size_t n, uint32_t crc = 0xFFFFFFFFu) {
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

void PutBe32(std::vector<uint8_t>& o, uint32_t v) {
    for (int i = 3; i >= 0; --i) o.push_back(uint8_t(v >> (8 * i)));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutBe32(out, uint32_t(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBe32(out, Crc(body.data(), body.size()) ^ 0xFFFFFFFFu);
}

bool WritePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgbTopFirst) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgbTopFirst.begin() + long(y) * w * 3, rgbTopFirst.begin() + long(y + 1) * w * 3);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0; at < raw.size(); at += 65535) {
        size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.insert(z.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
        z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + n));
    }
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
    PutBe32(z, b << 16 | a);
    std::vector<uint8_t> ihdr;
    PutBe32(ihdr, uint32_t(w));
    PutBe32(ihdr, uint32_t(h));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Chunk(out, "IHDR", ihdr);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return (std::fclose(f) == 0) && ok;
}

void DrawGround() {
    glDisable(GL_TEXTURE_2D);
    glColor3ub(120, 124, 118);
    glBegin(GL_QUADS);
    glVertex3f(-60, -23.05f, -60);
    glVertex3f(-60, -23.05f, 60);
    glVertex3f(60, -23.05f, 60);
    glVertex3f(60, -23.05f, -60);
    glEnd();
    glColor3ub(88, 92, 86);
    glBegin(GL_LINES);
    for (int i = -60; i <= 60; i += 10) {
        glVertex3f(float(i), -22.95f, -60);
        glVertex3f(float(i), -22.95f, 60);
        glVertex3f(-60, -22.95f, float(i));
        glVertex3f(60, -22.95f, float(i));
    }
    glEnd();
}

void DrawFrame(const Md2& m, const Bmp& skin, int frame) {
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    const float* v = &m.verts[size_t(frame) * size_t(m.numXyz) * 3];
    glBegin(GL_TRIANGLES);
    for (size_t t = 0; t + 5 < m.tris.size(); t += 6) {
        for (int c : {0, 2, 1}) {
            uint16_t si = m.tris[t + 3 + size_t(c)], vi = m.tris[t + size_t(c)];
            glTexCoord2f(m.st[si * 2u] / skin.width, m.st[si * 2u + 1] / skin.height);
            glVertex3fv(v + size_t(vi) * 3);
        }
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: orvanthe-modelshot MD2 SKIN OUTDIR [--frames 1,4,40] [--yaw DEG] [--size PX] [--dist D] [--cull]\n");
        return 2;
    }
    std::vector<int> frames = {1, 4, 40, 42, 44};
    double yaw = 35;
    int size = 512;
    double dist = 125;
    bool cull = false;
    for (int i = 4; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--frames" && i + 1 < argc) {
            frames.clear();
            for (char* p = argv[++i]; *p;) {
                frames.push_back(int(std::strtol(p, &p, 10)));
                if (*p == ',') ++p;
                else if (*p) break;
            }
        } else if (a == "--yaw" && i + 1 < argc) {
            yaw = std::atof(argv[++i]);
        } else if (a == "--size" && i + 1 < argc) {
            size = std::atoi(argv[++i]);
        } else if (a == "--dist" && i + 1 < argc) {
            dist = std::atof(argv[++i]);
        } else if (a == "--cull") {
            cull = true;
        } else {
            std::fprintf(stderr, "orvanthe-modelshot: unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    Md2 model;
    Bmp skin;
    if (!LoadMd2(argv[1], model)) {
        std::fprintf(stderr, "orvanthe-modelshot: cannot read model %s\n", argv[1]);
        return 1;
    }
    if (!LoadBmp(argv[2], skin)) {
        std::fprintf(stderr, "orvanthe-modelshot: cannot read skin %s\n", argv[2]);
        return 1;
    }
    OSMesaContext ctx = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    std::vector<uint8_t> buffer(size_t(size) * size_t(size) * 4);
    if (!ctx || !OSMesaMakeCurrent(ctx, buffer.data(), GL_UNSIGNED_BYTE, size, size)) {
        std::fprintf(stderr, "orvanthe-modelshot: no OSMesa context\n");
        return 1;
    }
    GLuint tex;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, skin.width, skin.height, 0, GL_RGB, GL_UNSIGNED_BYTE, skin.rgb.data());
    glEnable(GL_DEPTH_TEST);
    if (cull) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
    }

    int written = 0;
    for (int frame : frames) {
        if (frame < 0 || frame >= model.numFrames) {
            std::fprintf(stderr, "orvanthe-modelshot: no keyframe %d\n", frame);
            continue;
        }
        glViewport(0, 0, size, size);
        glClearColor(0.55f, 0.6f, 0.68f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(32, 1, 5, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const double rad = yaw * M_PI / 180, pitch = 14 * M_PI / 180;
        gluLookAt(dist * std::cos(rad) * std::cos(pitch), (dist < 80 ? 18 : 2) + dist * std::sin(pitch), dist * std::sin(rad) * std::cos(pitch),
                  0, dist < 80 ? 18 : 2, 0, 0, 1, 0);
        glDisable(GL_CULL_FACE);
        DrawGround();
        if (cull) glEnable(GL_CULL_FACE);
        DrawFrame(model, skin, frame);
        glFinish();
        std::vector<uint8_t> rgb(size_t(size) * size_t(size) * 3);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                for (int c = 0; c < 3; ++c)
                    rgb[(size_t(size - 1 - y) * size_t(size) + size_t(x)) * 3 + size_t(c)] =
                        buffer[(size_t(y) * size_t(size) + size_t(x)) * 4 + size_t(c)];
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%02d.png", frame);
        if (!WritePng(argv[3] + std::string(name), size, size, rgb)) {
            std::fprintf(stderr, "orvanthe-modelshot: cannot write %s%s\n", argv[3], name);
            OSMesaDestroyContext(ctx);
            return 1;
        }
        ++written;
    }
    OSMesaDestroyContext(ctx);
    return written == int(frames.size()) ? 0 : 1;
}
