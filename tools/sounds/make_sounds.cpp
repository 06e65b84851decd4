// Generates the two built-in sounds: a rising two-note chime played at start-up (Microsoft
// ADPCM) and a falling one played when a test ends (unsigned 8-bit PCM).
// libsndfile encodes; the RIFF chunks are then laid out again so that the last ADPCM block holds
// only the samples it carries, with the true sample count in "fact", as the Windows encoders
// write it (libsndfile pads the last block to full size). A LIST/INFO name and a DISP text
// follow the audio data; players skip them.
//
// Usage: make_sounds <output folder>
#include "assets/RiffChunks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sndfile.h>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

using Bytes = std::vector<std::uint8_t>;

struct Note
{
    double startS;
    double hz;
    double gain;
};

struct Envelope
{
    double fadeInS;      // raised-cosine fade at the very start of the sound
    double fadeOutFromS; // the sound fades out between these two times...
    double fadeOutToS;   // ...and is silent after the second
};

// A soft bell: a few harmonic partials under a short attack and an exponential decay.
double BellAt(const Note &note, double t)
{
    const double local = t - note.startS;
    if (local < 0)
        return 0;
    const double attack = local < 0.008 ? 0.5 - 0.5 * std::cos(kPi * local / 0.008) : 1.0;
    const double decay = std::exp(-local / 0.42);
    const double w = 2 * kPi * note.hz * local;
    const double tone = std::sin(w) + 0.22 * std::sin(2 * w) * std::exp(-local / 0.15)
                        + 0.06 * std::sin(3 * w) * std::exp(-local / 0.08);
    return note.gain * attack * decay * tone;
}

std::vector<float> Chime(int frames, const std::vector<Note> &notes, const Envelope &env)
{
    std::vector<float> samples(frames);
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        double v = 0;
        for (const Note &note : notes)
            v += BellAt(note, t);
        if (t < env.fadeInS)
            v *= 0.5 - 0.5 * std::cos(kPi * t / env.fadeInS);
        if (t >= env.fadeOutToS)
            v = 0;
        else if (t > env.fadeOutFromS)
            v *= 0.5 + 0.5 * std::cos(kPi * (t - env.fadeOutFromS) / (env.fadeOutToS - env.fadeOutFromS));
        samples[i] = float(v);
    }
    return samples;
}

// libsndfile writes into memory through its virtual I/O.
struct MemoryFile
{
    Bytes bytes;
    sf_count_t pos = 0;
};

sf_count_t MemLength(void *user) { return sf_count_t(static_cast<MemoryFile *>(user)->bytes.size()); }
sf_count_t MemTell(void *user) { return static_cast<MemoryFile *>(user)->pos; }

sf_count_t MemSeek(sf_count_t offset, int whence, void *user)
{
    auto *file = static_cast<MemoryFile *>(user);
    const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? file->pos : sf_count_t(file->bytes.size());
    file->pos = base + offset;
    return file->pos;
}

sf_count_t MemRead(void *ptr, sf_count_t count, void *user)
{
    auto *file = static_cast<MemoryFile *>(user);
    const sf_count_t available = std::max<sf_count_t>(0, sf_count_t(file->bytes.size()) - file->pos);
    const sf_count_t n = std::min(count, available);
    std::memcpy(ptr, file->bytes.data() + file->pos, size_t(n));
    file->pos += n;
    return n;
}

sf_count_t MemWrite(const void *ptr, sf_count_t count, void *user)
{
    auto *file = static_cast<MemoryFile *>(user);
    if (file->pos + count > sf_count_t(file->bytes.size()))
        file->bytes.resize(size_t(file->pos + count));
    std::memcpy(file->bytes.data() + file->pos, ptr, size_t(count));
    file->pos += count;
    return count;
}

bool Encode(const std::vector<float> &samples, int format, Bytes &wave)
{
    SF_VIRTUAL_IO io{MemLength, MemSeek, MemRead, MemWrite, MemTell};
    MemoryFile file;
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | format;
    SNDFILE *sf = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    if (!sf) {
        std::cerr << "libsndfile: " << sf_strerror(nullptr) << '\n';
        return false;
    }
    const sf_count_t written = sf_write_float(sf, samples.data(), sf_count_t(samples.size()));
    sf_close(sf);
    if (written != sf_count_t(samples.size()))
        return false;
    wave = std::move(file.bytes);
    return true;
}

struct Chunk
{
    std::string id;
    Bytes body;
};

std::uint16_t Le16(const std::uint8_t *p) { return std::uint16_t(p[0] | p[1] << 8); }

void PutLe32(Bytes &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}

// The whole chunks of libsndfile's output, in order.
std::vector<Chunk> ParseChunks(const Bytes &wave)
{
    std::vector<Chunk> chunks;
    for (const kavr::assets::RiffChunk &chunk : kavr::assets::ReadRiffChunks(wave).chunks) {
        if (chunk.truncated())
            break;
        const auto body = wave.begin() + long(chunk.offset);
        chunks.push_back({chunk.id.toStdString(), Bytes(body, body + long(chunk.size))});
    }
    return chunks;
}

Bytes Assemble(const std::vector<Chunk> &chunks)
{
    Bytes body{'W', 'A', 'V', 'E'};
    for (const Chunk &chunk : chunks) {
        body.insert(body.end(), chunk.id.begin(), chunk.id.end());
        PutLe32(body, std::uint32_t(chunk.body.size()));
        body.insert(body.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.body.size() & 1)
            body.push_back(0);
    }
    Bytes wave{'R', 'I', 'F', 'F'};
    PutLe32(wave, std::uint32_t(body.size()));
    wave.insert(wave.end(), body.begin(), body.end());
    return wave;
}

// Cuts the zero padding off the last ADPCM block: 7 header bytes (predictor, delta and the
// first two samples) and one nibble per further sample, for a mono sound.
void TrimLastAdpcmBlock(std::vector<Chunk> &chunks, size_t frames)
{
    const Bytes *fmt = nullptr;
    for (const Chunk &chunk : chunks)
        if (chunk.id == "fmt ")
            fmt = &chunk.body;
    const size_t blockAlign = Le16(&(*fmt)[12]);
    const size_t samplesPerBlock = Le16(&(*fmt)[18]);
    const size_t rest = frames % samplesPerBlock;
    if (rest == 0)
        return;
    const size_t lastBlockBytes = 7 + (rest > 2 ? (rest - 2 + 1) / 2 : 0);
    for (Chunk &chunk : chunks)
        if (chunk.id == "data")
            chunk.body.resize(frames / samplesPerBlock * blockAlign + lastBlockBytes);
}

Chunk InfoList(const std::string &name)
{
    Chunk list{"LIST", {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M'}};
    const std::string text = name + '\0';
    PutLe32(list.body, std::uint32_t(text.size()));
    list.body.insert(list.body.end(), text.begin(), text.end());
    if (text.size() & 1)
        list.body.push_back(0);
    return list;
}

Chunk DisplayText(const std::string &text)
{
    Chunk disp{"DISP", {}};
    PutLe32(disp.body, 1); // CF_TEXT
    disp.body.insert(disp.body.end(), text.begin(), text.end());
    disp.body.push_back(0);
    return disp;
}

bool WriteSound(const std::string &folder, const std::string &name, const std::vector<float> &samples,
                int format, const std::string &description)
{
    Bytes encoded;
    if (!Encode(samples, format, encoded))
        return false;
    std::vector<Chunk> chunks;
    for (Chunk &chunk : ParseChunks(encoded))
        if (chunk.id == "fmt " || chunk.id == "fact" || chunk.id == "data")
            chunks.push_back(std::move(chunk));
    if (format == SF_FORMAT_MS_ADPCM)
        TrimLastAdpcmBlock(chunks, samples.size());
    chunks.push_back(InfoList(name));
    chunks.push_back(DisplayText(description));

    const Bytes wave = Assemble(chunks);
    const std::string path = folder + '/' + name + ".wav";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(wave.data()), std::streamsize(wave.size()));
    if (!out.flush()) {
        std::cerr << "cannot write " << path << '\n';
        return false;
    }
    std::cout << path << ": " << samples.size() << " samples, " << wave.size() << " bytes\n";
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_sounds <output folder>\n";
        return 2;
    }
    const std::string folder = argv[1];

    // G5 then C6, rising: the program is ready.
    const std::vector<float> start = Chime(46806, {{0.02, 783.99, 0.34}, {0.36, 1046.50, 0.30}},
                                           {0.01, 1.75, 2.10});
    // C6 then G5, falling: the test is over. Silent for the first 45 ms and after 1.66 s.
    std::vector<float> finish = Chime(41057, {{0.045, 1046.50, 0.40}, {0.40, 783.99, 0.36}},
                                      {0.0, 1.30, 1.66});
    for (int i = 0; i < kRate * 45 / 1000; ++i)
        finish[i] = 0;

    const bool ok = WriteSound(folder, "ID_START", start, SF_FORMAT_MS_ADPCM, "KAVR.IM start")
                    && WriteSound(folder, "ID_FINISH", finish, SF_FORMAT_PCM_U8, "KAVR.IM finish");
    return ok ? 0 : 1;
}
