#include "media/codec/G726.h"

#include "media/codec/G711.h"

#include <cstdlib>

namespace orvel::codec {

namespace {

// Tables per rate: quantizer decision levels, log of the reconstructed magnitude (DQLN), scale
// factor multiplier W(I) already scaled by 512, and the speed-control function F(I) scaled.
struct RateTables {
    const short* qtab;
    int qtabSize;
    const short* dqln;
    const int* wi;
    const short* fi;
};

constexpr short kQtab24[3] = {8, 218, 331};
constexpr short kDqln24[8] = {-2048, 135, 273, 373, 373, 273, 135, -2048};
constexpr int kWi24[8] = {-128, 960, 4384, 18624, 18624, 4384, 960, -128};
constexpr short kFi24[8] = {0, 0x200, 0x400, 0xe00, 0xe00, 0x400, 0x200, 0};

constexpr short kQtab32[7] = {-124, 80, 178, 246, 300, 349, 400};
constexpr short kDqln32[16] = {-2048, 4,   135, 213, 273, 323, 373, 425,
                               425,   373, 323, 273, 213, 135, 4,   -2048};
constexpr int kWi32[16] = {-384,  576,   1312, 2048, 3584, 6336, 11360, 35904,
                           35904, 11360, 6336, 3584, 2048, 1312, 576,   -384};
constexpr short kFi32[16] = {0,     0,     0,     0x200, 0x200, 0x200, 0x600, 0xe00,
                             0xe00, 0x600, 0x200, 0x200, 0x200, 0,     0,     0};

constexpr short kQtab40[15] = {-122, -16, 68,  139, 198, 250, 298, 339,
                               378,  413, 445, 475, 502, 528, 553};
constexpr short kDqln40[32] = {-2048, -66, 28,  104, 169, 224, 274, 318, 358, 395,  429,
                               459,   488, 514, 539, 566, 566, 539, 514, 488, 459,  429,
                               395,   358, 318, 274, 224, 169, 104, 28,  -66, -2048};
constexpr int kWi40[32] = {448,  448,   768,   1248,  1280,  1312,  1856,  3200,  4512,  5728, 7008,
                           8960, 11456, 14080, 16928, 22272, 22272, 16928, 14080, 11456, 8960, 7008,
                           5728, 4512,  3200,  1856,  1312,  1280,  1248,  768,   448,   448};
constexpr short kFi40[32] = {0,     0,     0,     0,     0,     0x200, 0x200, 0x200,
                             0x200, 0x200, 0x400, 0x600, 0x800, 0xa00, 0xc00, 0xc00,
                             0xc00, 0xc00, 0xa00, 0x800, 0x600, 0x400, 0x200, 0x200,
                             0x200, 0x200, 0x200, 0,     0,     0,     0,     0};

const RateTables& tablesFor(int bits)
{
    static constexpr RateTables t24{kQtab24, 3, kDqln24, kWi24, kFi24};
    static constexpr RateTables t32{kQtab32, 7, kDqln32, kWi32, kFi32};
    static constexpr RateTables t40{kQtab40, 15, kDqln40, kWi40, kFi40};
    if (bits == 3)
        return t24;
    if (bits == 5)
        return t40;
    return t32;
}

// Two's complement wrap to 16 bits, as the ACCUM, ADDB and ADDC blocks do.
int wrap16(int v)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xffff));
}

// Position of the highest set bit plus one (0 for 0), limited to 15.
int exponentOf(int magnitude)
{
    int e = 0;
    while (e < 15 && magnitude >= (1 << e))
        ++e;
    return e;
}

// FMULT: coefficient (16-bit two's complement, taken >> 2) times a floating-format signal.
int fmult(int an, int srn)
{
    int anmag = an > 0 ? an : ((-an) & 0x1fff);
    int anexp = exponentOf(anmag) - 6;
    int anmant = anmag == 0 ? 32 : (anexp >= 0 ? anmag >> anexp : anmag << -anexp);
    int wanexp = anexp + ((srn >> 6) & 0xf) - 13;
    int wanmant = (anmant * (srn & 0x3f) + 0x30) >> 4;
    int magnitude = wanexp >= 0 ? ((wanmant << wanexp) & 0x7fff) : (wanmant >> -wanexp);
    return ((an ^ srn) < 0) ? -magnitude : magnitude;
}

// Floating format of a 16-bit magnitude with sign: negative values carry the sign as -0x400.
int toFloat(int magnitude, bool negative)
{
    int value;
    if (magnitude == 0) {
        value = 0x20;
    } else {
        int e = exponentOf(magnitude);
        value = (e << 6) + ((magnitude << 6) >> e);
    }
    return negative ? value - 0x400 : value;
}

// LOG, SUBTB and QUAN: the code for difference d at scale factor y.
int quantize(int d, int y, const RateTables& t)
{
    int dqm = std::abs(d);
    int exp = exponentOf(dqm >> 1);
    int mant = ((dqm << 7) >> exp) & 0x7f;
    int dl = (exp << 7) + mant;
    int dln = dl - (y >> 2);
    int i = 0;
    while (i < t.qtabSize && dln >= t.qtab[i])
        ++i;
    int size = t.qtabSize;
    if (d < 0)
        return (size << 1) + 1 - i;
    if (i == 0)
        return (size << 1) + 1;
    return i;
}

// ADDA and ANTILOG: the quantized difference in sign-magnitude form (negative: mag - 0x8000).
int reconstruct(bool negative, int dqln, int y)
{
    int dql = dqln + (y >> 2);
    if (dql < 0)
        return negative ? -0x8000 : 0;
    int dex = (dql >> 7) & 15;
    int dqt = 128 + (dql & 127);
    int dq = (dqt << 7) >> (14 - dex);
    return negative ? dq - 0x8000 : dq;
}

} // namespace

G726::G726(int bitsPerCode) : m_bits(bitsPerCode == 3 || bitsPerCode == 5 ? bitsPerCode : 4)
{
    reset();
}

void G726::reset()
{
    m_yl = 34816;
    m_yu = 544;
    m_dms = 0;
    m_dml = 0;
    m_ap = 0;
    for (int n = 0; n < 2; ++n) {
        m_a[n] = 0;
        m_pk[n] = 0;
        m_sr[n] = 32;
    }
    for (int n = 0; n < 6; ++n) {
        m_b[n] = 0;
        m_dq[n] = 32;
    }
    m_td = 0;
    m_lastSr = 0;
}

G726::Estimate G726::estimate() const
{
    int sezi = 0;
    for (int n = 0; n < 6; ++n)
        sezi = wrap16(sezi + fmult(m_b[n] >> 2, m_dq[n]));
    int sei = wrap16(sezi + fmult(m_a[1] >> 2, m_sr[1]) + fmult(m_a[0] >> 2, m_sr[0]));

    // Step size: mix of the fast and slow scale factors by the speed control.
    int y;
    if (m_ap >= 256) {
        y = m_yu;
    } else {
        y = m_yl >> 6;
        int dif = m_yu - y;
        int al = m_ap >> 2;
        if (dif > 0)
            y += (dif * al) >> 6;
        else if (dif < 0)
            y += (dif * al + 0x3f) >> 6;
    }
    return {sezi >> 1, sei >> 1, y};
}

int G726::encode(int linear)
{
    const RateTables& t = tablesFor(m_bits);
    Estimate est = estimate();
    int sl = static_cast<std::int16_t>(linear) >> 2; // 14-bit input of the recommendation
    int d = wrap16(sl - est.se);
    int i = quantize(d, est.y, t);
    adapt(est, i);
    return i;
}

std::int16_t G726::decode(int code)
{
    Estimate est = estimate();
    adapt(est, code & ((1 << m_bits) - 1));
    int out = m_lastSr * 4;
    if (out > 32767)
        out = 32767;
    else if (out < -32768)
        out = -32768;
    return static_cast<std::int16_t>(out);
}

std::uint8_t G726::decodeToG711(int code, bool alaw)
{
    const RateTables& t = tablesFor(m_bits);
    Estimate est = estimate();
    int i = code & ((1 << m_bits) - 1);
    adapt(est, i);

    // Compress the reconstructed signal, then move the code one step when requantizing its
    // expansion would not give the same ADPCM code.
    int sr = m_lastSr;
    std::uint8_t sp;
    int expanded;
    if (alaw) {
        if (sr <= -32768)
            sr = -1;
        sp = linearToAlaw((sr >> 1) << 3);
        expanded = alawToLinear(sp);
    } else {
        if (sr <= -8192)
            sr = -8192;
        else if (sr > 8191)
            sr = 8191;
        sp = ulawFromSignAndMagnitude(sr < 0, (sr < 0 ? -sr : sr) << 2);
        expanded = ulawToLinear(sp);
    }
    int dx = (expanded >> 2) - est.se;
    int id = quantize(dx, est.y, t);
    if (id == i)
        return sp;

    const int sign = 1 << (m_bits - 1);
    bool lower = (id ^ sign) > (i ^ sign);
    int sd;
    if (alaw) {
        int lin = sp ^ 0x55;
        if (lower) {
            if (sp & 0x80)
                sd = sp == 0xd5 ? 0x55 : ((lin - 1) ^ 0x55);
            else
                sd = sp == 0x2a ? 0x2a : ((lin + 1) ^ 0x55);
        } else {
            if (sp & 0x80)
                sd = sp == 0xaa ? 0xaa : ((lin + 1) ^ 0x55);
            else
                sd = sp == 0x55 ? 0xd5 : ((lin - 1) ^ 0x55);
        }
    } else {
        if (lower) {
            if (sp & 0x80)
                sd = sp == 0xff ? 0x7e : sp + 1;
            else
                sd = sp == 0 ? 0 : sp - 1;
        } else {
            if (sp & 0x80)
                sd = sp == 0x80 ? 0x80 : sp - 1;
            else
                sd = sp == 0x7f ? 0xfe : sp + 1;
        }
    }
    return static_cast<std::uint8_t>(sd);
}

void G726::adapt(const Estimate& est, int i)
{
    const RateTables& t = tablesFor(m_bits);
    const int y = est.y;
    const int signBit = 1 << (m_bits - 1);

    int dq = reconstruct((i & signBit) != 0, t.dqln[i], y);
    int dqMag = dq & 0x7fff;
    int dqTc = dq < 0 ? -dqMag : dqMag;
    int sr = wrap16(dqTc + est.se);     // ADDB
    int dqsez = wrap16(dqTc + est.sez); // ADDC
    m_lastSr = sr;

    int wi = t.wi[i];
    int fi = t.fi[i];
    int pk0 = dqsez < 0 ? 1 : 0;

    // TRANS: a transition from a partial band to a full band signal.
    int ylint = m_yl >> 15;
    int ylfrac = (m_yl >> 10) & 0x1f;
    int thr1 = (32 + ylfrac) << ylint;
    int thr2 = ylint > 9 ? 31 << 10 : thr1;
    int dqthr = (thr2 + (thr2 >> 1)) >> 1;
    bool tr = m_td != 0 && dqMag > dqthr;

    // FUNCTW, FILTD, LIMB, FILTE.
    m_yu = y + ((wi - y) >> 5);
    if (m_yu < 544)
        m_yu = 544;
    else if (m_yu > 5120)
        m_yu = 5120;
    m_yl += m_yu + ((-m_yl) >> 6);

    int a2p = 0;
    if (tr) {
        m_a[0] = m_a[1] = 0;
        for (int& b : m_b)
            b = 0;
    } else {
        int pks1 = pk0 ^ m_pk[0];
        // UPA2
        a2p = m_a[1] - (m_a[1] >> 7);
        if (dqsez != 0) {
            int fa1 = pks1 ? m_a[0] : -m_a[0];
            if (fa1 < -8191)
                a2p -= 0x100;
            else if (fa1 > 8191)
                a2p += 0xff;
            else
                a2p += fa1 >> 5;
            if (pk0 ^ m_pk[1]) {
                if (a2p <= -12160)
                    a2p = -12288;
                else if (a2p >= 12416)
                    a2p = 12288;
                else
                    a2p -= 0x80;
            } else if (a2p <= -12416) {
                a2p = -12288;
            } else if (a2p >= 12160) {
                a2p = 12288;
            } else {
                a2p += 0x80;
            }
        }
        m_a[1] = a2p;

        // UPA1 and LIMD
        m_a[0] -= m_a[0] >> 8;
        if (dqsez != 0)
            m_a[0] += pks1 == 0 ? 192 : -192;
        int a1ul = 15360 - a2p;
        if (m_a[0] < -a1ul)
            m_a[0] = -a1ul;
        else if (m_a[0] > a1ul)
            m_a[0] = a1ul;

        // UPB: the 40 kbit/s coder leaks its zero coefficients more slowly.
        for (int n = 0; n < 6; ++n) {
            m_b[n] -= m_b[n] >> (m_bits == 5 ? 9 : 8);
            if (dqMag != 0)
                m_b[n] += ((dq ^ m_dq[n]) >= 0) ? 128 : -128;
        }
    }

    // FLOATA and FLOATB, then the delay lines.
    for (int n = 5; n > 0; --n)
        m_dq[n] = m_dq[n - 1];
    m_dq[0] = toFloat(dqMag, dq < 0);
    m_sr[1] = m_sr[0];
    if (sr == -32768)
        m_sr[0] = 0x20 - 0x400;
    else
        m_sr[0] = toFloat(std::abs(sr), sr < 0);
    m_pk[1] = m_pk[0];
    m_pk[0] = pk0;

    // TONE
    if (tr)
        m_td = 0;
    else
        m_td = a2p < -11776 ? 1 : 0;

    // FILTA, FILTB, SUBTC, FILTC: adaptation speed control.
    m_dms += (fi - m_dms) >> 5;
    m_dml += ((fi << 2) - m_dml) >> 7;
    if (tr)
        m_ap = 256;
    else if (y < 1536 || m_td == 1 || std::abs((m_dms << 2) - m_dml) >= (m_dml >> 3))
        m_ap += (0x200 - m_ap) >> 4;
    else
        m_ap += (-m_ap) >> 4;
}

} // namespace orvel::codec
