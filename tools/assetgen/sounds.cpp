// The four sounds: the shot, the explosion, the player's grunt and the music
// loop. All synthesised, 16-bit mono at 44100 Hz; noise comes from the seeded
// Random so every run writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "assets.h"
#include "common/maths.h"
#include "noise.h"
#include "writers.h"

namespace {

constexpr int kRate = 44100;

using Buffer = std::vector<double>;

double Db(double db) { return std::pow(10.0, db / 20.0); }
double NoteHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

// RBJ biquad, direct form I.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    static Biquad Make(int kind, double hz, double q) {
        const double w = 2 * kPi * hz / kRate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
        Biquad f;
        double a0 = 1 + alpha;
        if (kind == 0) {  // low-pass
            f.b0 = (1 - c) / 2, f.b1 = 1 - c, f.b2 = (1 - c) / 2;
        } else if (kind == 1) {  // high-pass
            f.b0 = (1 + c) / 2, f.b1 = -(1 + c), f.b2 = (1 + c) / 2;
        } else {  // band-pass, 0 dB at the centre
            f.b0 = alpha, f.b1 = 0, f.b2 = -alpha;
        }
        f.a1 = -2 * c, f.a2 = 1 - alpha;
        f.b0 /= a0, f.b1 /= a0, f.b2 /= a0, f.a1 /= a0, f.a2 /= a0;
        return f;
    }
    static Biquad LowPass(double hz, double q = 0.707) { return Make(0, hz, q); }
    static Biquad HighPass(double hz, double q = 0.707) { return Make(1, hz, q); }
    static Biquad BandPass(double hz, double q) { return Make(2, hz, q); }

    // Retunes a low-pass in place, keeping its state (for sweeps).
    void SetLowPass(double hz, double q) {
        Biquad f = LowPass(hz, q);
        b0 = f.b0, b1 = f.b1, b2 = f.b2, a1 = f.a1, a2 = f.a2;
    }
    double operator()(double x) {
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return y;
    }
};

// Two-pole resonator with unity gain at 0 Hz, as in a cascade formant synthesiser.
struct Resonator {
    double a, b, c, y1 = 0, y2 = 0;
    Resonator(double hz, double bandwidth) {
        double r = std::exp(-kPi * bandwidth / kRate);
        b = 2 * r * std::cos(2 * kPi * hz / kRate);
        c = -r * r;
        a = 1 - b - c;
    }
    double operator()(double x) {
        double y = a * x + b * y1 + c * y2;
        y2 = y1, y1 = y;
        return y;
    }
};

double Noise(Random& rng) { return rng.Range(-1.0, 1.0); }

// Scales the loudest sample to `peakDb` and rounds.
std::vector<int16_t> Finish(const Buffer& b, double peakDb) {
    double peak = 1e-12;
    for (double v : b) peak = std::max(peak, std::fabs(v));
    const double gain = Db(peakDb) * 32767.0 / peak;
    std::vector<int16_t> out(b.size());
    for (size_t i = 0; i < b.size(); ++i)
        out[i] = int16_t(std::lround(std::max(-32767.0, std::min(32767.0, b[i] * gain))));
    return out;
}

// Effects start and end on silence: any offset is filtered out first, then
// short raised-cosine ramps close both ends.
void Ramp(Buffer& b, double inSeconds, double outSeconds) {
    Biquad dc = Biquad::HighPass(25);
    for (double& v : b) v = dc(v);
    const size_t in = size_t(inSeconds * kRate), out = size_t(outSeconds * kRate);
    for (size_t i = 0; i < in && i < b.size(); ++i) b[i] *= 0.5 - 0.5 * std::cos(kPi * double(i) / double(in));
    for (size_t i = 0; i < out && i < b.size(); ++i)
        b[b.size() - 1 - i] *= 0.5 - 0.5 * std::cos(kPi * double(i) / double(out));
}

// ---------------------------------------------------------------- effects

// A plasma shot: a bright zap diving in pitch over a short crack and a thump.
Buffer BulletFire() {
    Random rng(101);
    const double length = 0.32;
    Buffer b(size_t(length * kRate));
    Biquad crackBand = Biquad::BandPass(2600, 0.9);
    Biquad zapTone = Biquad::LowPass(6000);
    double zapPhase = 0, thumpPhase = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        const double zapHz = 170 + 2100 * std::exp(-t / 0.045);
        zapPhase += 2 * kPi * zapHz / kRate;
        double zap = std::tanh(2.5 * std::sin(zapPhase)) + 0.35 * std::sin(2 * zapPhase + 0.5);
        zap = zapTone(zap) * std::exp(-t / 0.085);
        const double crack = crackBand(Noise(rng)) * std::exp(-t / 0.012) * 2.2;
        const double thumpHz = 55 + 60 * std::exp(-t / 0.03);
        thumpPhase += 2 * kPi * thumpHz / kRate;
        const double thump = std::sin(thumpPhase) * std::exp(-t / 0.06);
        b[i] = 0.55 * zap + 0.5 * crack + 0.75 * thump;
    }
    Ramp(b, 0.001, 0.03);
    return b;
}

// A boom: a noise burst whose low-pass closes as it fades, a sub-bass drop,
// a long rumble and a scatter of crackles.
Buffer Explode() {
    Random rng(202);
    const double length = 1.35;
    Buffer b(size_t(length * kRate));
    Biquad body, rumbleLow = Biquad::LowPass(110), crackleBand = Biquad::BandPass(2400, 1.2),
                 crackleSoft = Biquad::LowPass(5000);
    double brown = 0, subPhase = 0, crackle = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        if (i % 16 == 0) body.SetLowPass(120 + 5200 * std::exp(-t / 0.11), 0.8);
        const double attack = 1 - std::exp(-t / 0.002);
        const double burst = body(Noise(rng)) * (std::exp(-t / 0.28) + 0.25 * std::exp(-t / 0.8));
        brown = 0.995 * brown + 0.06 * Noise(rng);
        const double rumble = rumbleLow(brown) * std::exp(-t / 0.55) * 3.0;
        subPhase += 2 * kPi * (28 + 45 * std::exp(-t / 0.09)) / kRate;
        const double sub = std::sin(subPhase) * std::exp(-t / 0.3);
        if (rng.Unit() < 0.004 * std::exp(-t / 0.2)) crackle = rng.Range(0.4, 1.0) * (rng.Unit() < 0.5 ? -1 : 1);
        crackle *= 0.93;
        const double crack = crackleSoft(crackleBand(crackle * Noise(rng))) * 1.2;
        const double mix = attack * (1.1 * burst + 0.9 * rumble + 0.8 * sub) + crack;
        b[i] = std::tanh(1.6 * mix) / std::tanh(1.6);  // a little grit
    }
    Ramp(b, 0.0005, 0.12);
    return b;
}

// A short pained grunt: a glottal pulse train falling in pitch through the
// formants of an open "uh", breaking into breath at the end.
Buffer Ugh() {
    Random rng(303);
    const double length = 0.5;
    Buffer b(size_t(length * kRate));
    Resonator f1(620, 90), f2(1180, 110), f3(2400, 160), f4(3300, 250);
    Biquad breathBand = Biquad::BandPass(1400, 1.2);
    double phase = 0, jitter = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        const double f0 = (145 - 55 * SmoothStep(0, 1, t / 0.42)) * (1 + jitter);
        phase += f0 / kRate;
        if (phase >= 1) {
            phase -= 1;
            jitter = rng.Range(-0.025, 0.025);
        }
        // Rosenberg pulse: opens over 60 % of the period, closes over 25 %.
        double glottal = 0;
        if (phase < 0.6)
            glottal = 0.5 * (1 - std::cos(kPi * phase / 0.6));
        else if (phase < 0.85)
            glottal = std::cos(kPi * (phase - 0.6) / 0.5);
        const double voiced = 1 - SmoothStep(0, 1, (t - 0.3) / 0.12);
        const double breath = breathBand(Noise(rng)) * (0.08 + 0.5 * SmoothStep(0, 1, (t - 0.3) / 0.1));
        double x = glottal * voiced * (1 + 0.15 * rng.Range(-1.0, 1.0)) + breath;
        x = f4(f3(f2(f1(x))));
        const double env = (1 - std::exp(-t / 0.012)) * std::exp(-t / 0.22) * (1 - SmoothStep(0, 1, (t - 0.38) / 0.12));
        b[i] = x * env;
    }
    Ramp(b, 0.002, 0.03);
    return b;
}

// ---------------------------------------------------------------- music

// Sixteen bars in D minor at 126 beats a minute: 21000 samples a beat, so the
// loop is a whole number of samples. Every voice is written around a ring, a
// note that rings past the end carrying on at the start, so the seam is as
// smooth as any other moment of the piece.
constexpr long kStep = 5250;  // a sixteenth
constexpr int kBars = 16;
constexpr long kLoop = kBars * 16 * kStep;

void AddAt(Buffer& ring, long start, const Buffer& note, double gain) {
    for (size_t i = 0; i < note.size(); ++i) ring[size_t((start + long(i)) % kLoop)] += note[i] * gain;
}

// Band-limited edges for the saw and square oscillators.
double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}
double Saw(double ph, double dt) { return 2 * ph - 1 - PolyBlep(ph, dt); }
double Square(double ph, double dt) {
    return (ph < 0.5 ? 1.0 : -1.0) + PolyBlep(ph, dt) - PolyBlep(std::fmod(ph + 0.5, 1.0), dt);
}
double Wrap(double ph) { return ph - std::floor(ph); }

// Gate envelope: attack, hold while the key is down, then release.
double Gate(double t, double held, double attack, double release) {
    double a = std::min(1.0, t / attack);
    return t < held ? a : a * std::exp(-(t - held) / release);
}

Buffer Bass(double midi, int steps, double accent) {
    const double held = steps * kStep / double(kRate) * 0.85, hz = NoteHz(midi);
    Buffer b(size_t(held * kRate + 0.06 * kRate));
    Biquad f;
    double ph = 0, sub = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        if (i % 16 == 0) f.SetLowPass(160 + 1500 * accent * std::exp(-t / 0.06), 1.3);
        ph = Wrap(ph + hz / kRate);
        sub = Wrap(sub + 0.5 * hz / kRate);
        const double osc = 0.65 * Saw(ph, hz / kRate) + 0.35 * Square(ph, hz / kRate);
        b[i] = (f(osc) + 0.45 * std::sin(2 * kPi * sub)) * Gate(t, held, 0.004, 0.012);
    }
    return b;
}

Buffer Pad(const std::vector<int>& chord, int steps) {
    const double held = steps * kStep / double(kRate);
    Buffer b(size_t((held + 0.5) * kRate)), env(b.size());
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        env[i] = Gate(t, held, 0.3, 0.18) * (1 + 0.15 * std::sin(2 * kPi * 0.7 * t));
    }
    for (int note : chord) {
        for (double detune : {-0.09, 0.08}) {
            const double hz = NoteHz(note + detune);
            Biquad f = Biquad::LowPass(1100, 0.6);
            double ph = Wrap(0.37 * note + detune);
            for (size_t i = 0; i < b.size(); ++i) {
                ph = Wrap(ph + hz / kRate);
                b[i] += f(Saw(ph, hz / kRate)) * env[i];
            }
        }
    }
    return b;
}

Buffer Lead(double midi, int steps) {
    const double held = steps * kStep / double(kRate) * 0.92, base = NoteHz(midi);
    Buffer b(size_t((held + 0.12) * kRate));
    Biquad f;
    double ph = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        const double vibrato = 0.22 * SmoothStep(0, 1, (t - 0.12) / 0.2) * std::sin(2 * kPi * 5.5 * t);
        const double hz = base * std::pow(2.0, vibrato / 12);
        ph = Wrap(ph + hz / kRate);
        if (i % 16 == 0) f.SetLowPass(700 + 2600 * std::exp(-t / 0.18), 1.1);
        const double osc = 0.55 * Saw(ph, hz / kRate) + 0.45 * Square(ph, hz / kRate);
        const double env = Gate(t, held, 0.01, 0.05) * (0.75 + 0.25 * std::exp(-t / 0.1));
        b[i] = f(osc) * env;
    }
    return b;
}

Buffer Pluck(double midi) {
    const double hz = NoteHz(midi);
    Buffer b(size_t(0.22 * kRate));
    Biquad f;
    double ph = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        ph = Wrap(ph + hz / kRate);
        if (i % 16 == 0) f.SetLowPass(500 + 4000 * std::exp(-t / 0.03), 0.9);
        b[i] = f(Square(ph, hz / kRate)) * std::min(1.0, t / 0.002) * std::exp(-t / 0.07);
    }
    return b;
}

Buffer Kick() {
    Buffer b(size_t(0.45 * kRate));
    double ph = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        ph += 2 * kPi * (48 + 130 * std::exp(-t / 0.028)) / kRate;
        b[i] = std::sin(ph) * std::exp(-t / 0.22) * std::min(1.0, t / 0.0015);
    }
    return b;
}

Buffer Snare(Random& rng) {
    Buffer b(size_t(0.28 * kRate));
    Biquad hp = Biquad::HighPass(900), bp = Biquad::BandPass(3500, 0.7);
    double ph = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        ph += 2 * kPi * (175 + 40 * std::exp(-t / 0.02)) / kRate;
        const double n = Noise(rng);
        b[i] = (0.8 * hp(n) + 0.5 * bp(n)) * std::exp(-t / 0.085) + 0.7 * std::sin(ph) * std::exp(-t / 0.05);
        b[i] *= std::min(1.0, t / 0.001);
    }
    return b;
}

Buffer Hat(Random& rng, double decay) {
    Buffer b(size_t(std::min(0.4, decay * 7) * kRate));
    Biquad hp = Biquad::HighPass(7500, 0.9), hp2 = Biquad::HighPass(6000);
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        b[i] = hp2(hp(Noise(rng))) * std::exp(-t / decay) * std::min(1.0, t / 0.0007);
    }
    return b;
}

Buffer Tom(Random& rng, double hz) {
    Buffer b(size_t(0.5 * kRate));
    Biquad lp = Biquad::LowPass(900);
    double ph = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        ph += 2 * kPi * hz * (1 + 0.6 * std::exp(-t / 0.04)) / kRate;
        b[i] =
            (std::sin(ph) * std::exp(-t / 0.2) + 0.3 * lp(Noise(rng)) * std::exp(-t / 0.05)) * std::min(1.0, t / 0.001);
    }
    return b;
}

Buffer Crash(Random& rng) {
    Buffer b(size_t(2.0 * kRate));
    Biquad hp = Biquad::HighPass(3500), lp = Biquad::LowPass(11000);
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        b[i] = lp(hp(Noise(rng))) * (0.6 * std::exp(-t / 0.5) + 0.4 * std::exp(-t / 0.08)) * std::min(1.0, t / 0.001);
    }
    return b;
}

struct Note {
    int bar, step, length, midi;
};

// The tune: brooding and low for eight bars, then climbing and urgent, ending
// on the dominant so it leans back into the top of the loop.
const std::vector<Note>& Melody() {
    static const std::vector<Note> notes = {
        {0, 0, 6, 74},   {0, 6, 2, 76},   {0, 8, 4, 77},  {0, 12, 4, 76}, {1, 0, 6, 74},   {1, 6, 2, 72},
        {1, 8, 8, 70},   {2, 0, 6, 67},   {2, 6, 2, 69},  {2, 8, 4, 70},  {2, 12, 4, 74},  {3, 0, 12, 73},
        {3, 12, 4, 76},  {4, 0, 6, 77},   {4, 6, 2, 76},  {4, 8, 4, 74},  {4, 12, 4, 69},  {5, 0, 6, 70},
        {5, 6, 2, 72},   {5, 8, 8, 74},   {6, 0, 4, 79},  {6, 4, 4, 77},  {6, 8, 4, 76},   {6, 12, 4, 74},
        {7, 0, 8, 76},   {7, 8, 8, 73},   {8, 0, 3, 74},  {8, 3, 3, 77},  {8, 6, 2, 81},   {8, 8, 6, 79},
        {8, 14, 2, 77},  {9, 0, 3, 77},   {9, 3, 3, 81},  {9, 6, 2, 84},  {9, 8, 6, 81},   {9, 14, 2, 79},
        {10, 0, 3, 76},  {10, 3, 3, 79},  {10, 6, 2, 84}, {10, 8, 4, 82}, {10, 12, 4, 79}, {11, 0, 8, 77},
        {11, 8, 4, 74},  {11, 12, 4, 77}, {12, 0, 3, 79}, {12, 3, 3, 82}, {12, 6, 2, 86},  {12, 8, 6, 84},
        {12, 14, 2, 82}, {13, 0, 6, 81},  {13, 6, 2, 79}, {13, 8, 8, 77}, {14, 0, 4, 79},  {14, 4, 4, 82},
        {14, 8, 8, 79},  {15, 0, 4, 81},  {15, 4, 4, 79}, {15, 8, 4, 76}, {15, 12, 4, 73},
    };
    return notes;
}

Buffer Music() {
    struct Chord {
        int bass;
        std::vector<int> pad;
    };
    const Chord dm{38, {57, 62, 65}}, bb{34, {58, 62, 65}}, gm{43, {55, 58, 62}}, a{33, {57, 61, 64}},
        f{41, {57, 60, 65}}, c{36, {55, 60, 64}}, eb{39, {55, 58, 63}};
    const Chord bars[kBars] = {dm, bb, gm, a, dm, bb, gm, a, dm, f, c, bb, gm, dm, eb, a};

    Random rng(404);
    Buffer dry(size_t(kLoop), 0.0), echo(size_t(kLoop), 0.0);
    const Buffer kick = Kick(), crash = Crash(rng);
    auto at = [](int bar, int step) { return long(bar) * 16 * kStep + long(step) * kStep; };

    for (int bar = 0; bar < kBars; ++bar) {
        const Chord& ch = bars[bar];
        const bool second = bar >= 8, turn = bar % 8 == 7;
        AddAt(dry, at(bar, 0), Pad(ch.pad, 16), 0.09);
        // Bass: driving eighths, the octave on the off-beat of two and four.
        for (int s = 0; s < 16; s += 2) {
            int midi = ch.bass + ((s == 6 || s == 14) ? 12 : 0);
            AddAt(dry, at(bar, s), Bass(midi, 2, s % 4 == 0 ? 1.0 : 0.6), 0.30);
        }
        // Drums.
        std::vector<int> kicks = second ? std::vector<int>{0, 3, 8, 10} : std::vector<int>{0, 8, 10};
        if (turn) kicks = {0, 8};
        for (int s : kicks) AddAt(dry, at(bar, s), kick, 0.85);
        for (int s : {4, 12}) AddAt(dry, at(bar, s), Snare(rng), 0.42);
        if (turn) {
            AddAt(dry, at(bar, 8), Tom(rng, 150), 0.45);
            AddAt(dry, at(bar, 10), Tom(rng, 110), 0.45);
            for (int s : {13, 14, 15}) AddAt(dry, at(bar, s), Snare(rng), 0.16 + 0.07 * (s - 13));
        } else if (bar % 4 == 3) {
            AddAt(dry, at(bar, 12), Tom(rng, 120), 0.3);
            AddAt(dry, at(bar, 14), Tom(rng, 85), 0.35);
        }
        for (int s = 0; s < 16; s += second ? 1 : 2) {
            if (turn && s >= 13) continue;
            double accent = (s % 4 == 2) ? 1.0 : (s % 2 == 0 ? 0.6 : 0.4);
            AddAt(dry, at(bar, s), Hat(rng, s == 14 && !second ? 0.06 : 0.018), 0.14 * accent);
        }
        if (bar % 8 == 0) AddAt(dry, at(bar, 0), crash, 0.16);
        // A restless arpeggio over the chord from the fifth bar on.
        if (bar >= 4) {
            static const int order[8] = {0, 1, 2, 3, 4, 3, 2, 1};
            for (int s = 0; s < 16; ++s) {
                int i = order[s % 8];
                int note = ch.pad[size_t(i % 3)] + 12 * (i / 3) + 12;
                AddAt(echo, at(bar, s), Pluck(note), second ? 0.07 : 0.05);
            }
        }
    }
    for (const Note& n : Melody()) {
        const bool low = n.bar < 8;  // the first half an octave down, darker
        AddAt(echo, at(n.bar, n.step), Lead(n.midi - (low ? 12 : 0), n.length), low ? 0.15 : 0.13);
    }
    // Dotted-eighth echo, run twice round the ring so the tail from the end
    // of the loop also sounds at its start.
    Buffer wet(size_t(kLoop), 0.0);
    const long delay = 3 * kStep;
    for (int pass = 0; pass < 2; ++pass)
        for (long i = 0; i < kLoop; ++i)
            wet[size_t(i)] = echo[size_t(i)] + 0.35 * wet[size_t((i - delay + kLoop) % kLoop)];
    for (long i = 0; i < kLoop; ++i) dry[size_t(i)] += echo[size_t(i)] + 0.35 * (wet[size_t(i)] - echo[size_t(i)]);

    // Start on the quietest upward zero crossing just before the downbeat:
    // the first and the last sample then sit on either side of zero.
    double mean = 0;
    for (double v : dry) mean += v;
    mean /= double(kLoop);
    for (double& v : dry) v -= mean;
    long best = 0;
    double bestCost = 1e9;
    for (long j = kLoop - 441; j <= kLoop; ++j) {
        double prev = dry[size_t((j - 1) % kLoop)], cur = dry[size_t(j % kLoop)];
        if (prev <= 0 && cur > 0 && std::fabs(prev) + std::fabs(cur) < bestCost) {
            bestCost = std::fabs(prev) + std::fabs(cur);
            best = j % kLoop;
        }
    }
    Buffer out(static_cast<size_t>(kLoop), 0.0);
    for (long i = 0; i < kLoop; ++i) out[size_t(i)] = dry[size_t((best + i) % kLoop)];
    return out;
}

}  // namespace

bool MakeSounds(const std::string& dir) {
    bool ok = WriteWav(dir + "/bulletFire.wav", Finish(BulletFire(), -3.0), kRate);
    ok = WriteWav(dir + "/explode.wav", Finish(Explode(), -3.0), kRate) && ok;
    ok = WriteWav(dir + "/ugh.wav", Finish(Ugh(), -3.0), kRate) && ok;
    ok = WriteWav(dir + "/wpqce.wav", Finish(Music(), -5.0), kRate) && ok;
    return ok;
}
