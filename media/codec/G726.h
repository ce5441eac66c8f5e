#pragma once
// ADPCM of the ITU-T recommendations at 24, 32 (G.721) and 40 kbit/s (G.723), one sample at a
// time, bit-exact: every quantity keeps the word length the recommendation gives it, including
// the 16-bit wrap-around of the predictor sums.

#include <cstdint>

namespace orvel::codec {

class G726 {
public:
    // bitsPerCode: 3 (24 kbit/s), 4 (32 kbit/s) or 5 (40 kbit/s).
    explicit G726(int bitsPerCode);

    int bitsPerCode() const { return m_bits; }

    // Back to the reset state of the recommendation.
    void reset();

    // 16-bit linear sample in, code out (the low bitsPerCode bits).
    int encode(int linear);
    // Code in, 16-bit linear sample out.
    std::int16_t decode(int code);

    // Code in, G.711 code out (alaw true: A-law), with the synchronous coding adjustment that
    // keeps tandem ADPCM - G.711 - ADPCM codings from drifting apart.
    std::uint8_t decodeToG711(int code, bool alaw);

    // The reconstructed signal of the last encode or decode, in the 14-bit domain of the
    // recommendation (SR).
    int reconstructed() const { return m_lastSr; }

private:
    struct Estimate {
        int sez; // partial signal estimate, 15-bit
        int se;  // signal estimate, 15-bit
        int y;   // quantizer scale factor
    };
    Estimate estimate() const;
    // Common tail of encode and decode: reconstruction and the state update for code i.
    void adapt(const Estimate& est, int i);

    int m_bits;
    int m_lastSr = 0;

    // Predictor and quantizer state, with the recommendation's names.
    int m_yl;    // slow scale factor, 19 bits
    int m_yu;    // fast scale factor, 13 bits
    int m_dms;   // short-term mean of F(I), 12 bits
    int m_dml;   // long-term mean of F(I), 14 bits
    int m_ap;    // speed control, 10 bits
    int m_a[2];  // pole coefficients, 16-bit two's complement
    int m_b[6];  // zero coefficients
    int m_pk[2]; // signs of DQSEZ, delayed
    int m_dq[6]; // quantized differences, floating format (sign, 4-bit exponent, 6-bit mantissa)
    int m_sr[2]; // reconstructed signal, same floating format
    int m_td;    // tone detect
};

} // namespace orvel::codec
