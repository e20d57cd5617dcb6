// A video's sound; see the header.
#include "video_sound.h"

#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <mmsystem.h>

#include <memory>
#include <vector>

#include "platform/win32/system_library.h"
#include "sound_volume.h"
#include "video_stream.h"

namespace saverkit::slideshow::win32 {
namespace {

constexpr DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
// Buffers in flight, a tenth of a second each: enough sound ahead that no stall of a busy
// machine drains it.
constexpr std::size_t kBuffers = 4;

const GUID kAudioMedia = {0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const GUID kPcm = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const GUID kBitsPerSample = {0xf2deb57f, 0x40fa, 0x4764, {0xaa, 0x33, 0xed, 0x4f, 0x2d, 0x1f, 0xf6, 0x69}};
const GUID kChannels = {0x37e48bf5, 0x645e, 0x4c5b, {0x89, 0xde, 0xad, 0xa9, 0xe2, 0x9b, 0x69, 0x6a}};
const GUID kSamplesPerSecond = {0x5faeeae7, 0x0290, 0x4c31, {0x9e, 0x8a, 0xc5, 0x34, 0xf6, 0x8d, 0x9d, 0xba}};

// The wave output, from winmm in the system folder.
struct WaveOut {
  decltype(&::waveOutOpen) open = nullptr;
  decltype(&::waveOutPrepareHeader) prepare = nullptr;
  decltype(&::waveOutUnprepareHeader) unprepare = nullptr;
  decltype(&::waveOutWrite) write = nullptr;
  decltype(&::waveOutReset) reset = nullptr;
  decltype(&::waveOutClose) close = nullptr;
};

bool bind(WaveOut& wave) {
  using saverkit::win32::systemFunction;
  wave.open = systemFunction<decltype(wave.open)>("winmm.dll", "waveOutOpen");
  wave.prepare = systemFunction<decltype(wave.prepare)>("winmm.dll", "waveOutPrepareHeader");
  wave.unprepare = systemFunction<decltype(wave.unprepare)>("winmm.dll", "waveOutUnprepareHeader");
  wave.write = systemFunction<decltype(wave.write)>("winmm.dll", "waveOutWrite");
  wave.reset = systemFunction<decltype(wave.reset)>("winmm.dll", "waveOutReset");
  wave.close = systemFunction<decltype(wave.close)>("winmm.dll", "waveOutClose");
  return wave.open && wave.prepare && wave.unprepare && wave.write && wave.reset && wave.close;
}

}  // namespace

struct VideoSound::State {
  ~State() {
    if (output) {
      wave.reset(output);
      for (WAVEHDR& header : headers) {
        if (header.dwFlags & WHDR_PREPARED) wave.unprepare(output, &header, sizeof header);
      }
      wave.close(output);
    }
    if (reader) reader->Release();
    if (done) ::CloseHandle(done);
    if (stopping) ::CloseHandle(stopping);
  }
  bool fill(WAVEHDR& header, std::vector<char>& data);
  void play();

  WaveOut wave;
  IMFSourceReader* reader = nullptr;
  HWAVEOUT output = nullptr;
  HANDLE done = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE stopping = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  int volume = 0;
  bool loops = false;
  std::size_t bytesPerBuffer = 0;
  WAVEHDR headers[kBuffers] = {};
  std::vector<char> data[kBuffers];
};

// The next tenth of a second or so of sound into a free buffer; false once a sound that does not
// loop has ended (its last stretch is still written).
bool VideoSound::State::fill(WAVEHDR& header, std::vector<char>& bytes) {
  bytes.clear();
  bool more = true;
  for (int tries = 0; more && bytes.size() < bytesPerBuffer && tries < 64; ++tries) {
    DWORD flags = 0;
    IMFSample* sample = nullptr;
    if (FAILED(reader->ReadSample(kAudio, 0, nullptr, &flags, nullptr, &sample)) || (flags & MF_SOURCE_READERF_ERROR)) {
      if (sample) sample->Release();
      more = false;
      break;
    }
    if (!sample) {
      PROPVARIANT start{};
      start.vt = VT_I8;
      // The end: again from the start with a video that loops; a gap in the stream: read on.
      if ((flags & MF_SOURCE_READERF_ENDOFSTREAM) && (!loops || FAILED(reader->SetCurrentPosition(GUID{}, start)))) {
        more = false;
      }
      continue;
    }
    IMFMediaBuffer* buffer = nullptr;
    BYTE* pcm = nullptr;
    DWORD length = 0;
    if (SUCCEEDED(sample->ConvertToContiguousBuffer(&buffer)) && SUCCEEDED(buffer->Lock(&pcm, nullptr, &length))) {
      bytes.insert(bytes.end(), reinterpret_cast<char*>(pcm), reinterpret_cast<char*>(pcm) + length);
      buffer->Unlock();
    } else {
      more = false;
    }
    if (buffer) buffer->Release();
    sample->Release();
  }
  if (bytes.empty()) return more;
  applyVolume(reinterpret_cast<std::int16_t*>(bytes.data()), bytes.size() / 2, volume);
  header = {};
  header.lpData = bytes.data();
  header.dwBufferLength = static_cast<DWORD>(bytes.size());
  const bool written = wave.prepare(output, &header, sizeof header) == MMSYSERR_NOERROR &&
                       wave.write(output, &header, sizeof header) == MMSYSERR_NOERROR;
  return more && written;
}

void VideoSound::State::play() {
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  bool more = true;
  while (more) {
    // Every buffer the output has finished with is filled again, in turn.
    for (std::size_t i = 0; i < kBuffers && more; ++i) {
      WAVEHDR& header = headers[i];
      if ((header.dwFlags & WHDR_PREPARED) && !(header.dwFlags & WHDR_DONE)) continue;
      if (header.dwFlags & WHDR_PREPARED) wave.unprepare(output, &header, sizeof header);
      header.dwFlags = 0;
      more = fill(header, data[i]);
    }
    const HANDLE waits[2] = {stopping, done};
    if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) break;
  }
  // The end of the sound plays out unless the show stops it first.
  if (!more) ::WaitForSingleObject(stopping, INFINITE);
  if (SUCCEEDED(com)) ::CoUninitialize();
}

bool VideoSound::open(const std::string& path, int volume, bool loops) {
  auto state = std::make_unique<State>();
  if (!state->done || !state->stopping || !bind(state->wave)) return false;
  state->reader = openSourceReader(path);
  if (!state->reader) return false;
  IMFMediaType* wanted = newMediaType();
  IMFMediaType* given = nullptr;
  UINT32 channels = 0, rate = 0;
  const bool decoded =
      wanted && SUCCEEDED(state->reader->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE)) &&
      SUCCEEDED(state->reader->SetStreamSelection(kAudio, TRUE)) && SUCCEEDED(wanted->SetGUID(kMediaMajorType, kAudioMedia)) &&
      SUCCEEDED(wanted->SetGUID(kMediaSubtype, kPcm)) && SUCCEEDED(wanted->SetUINT32(kBitsPerSample, 16)) &&
      SUCCEEDED(state->reader->SetCurrentMediaType(kAudio, nullptr, wanted)) &&
      SUCCEEDED(state->reader->GetCurrentMediaType(kAudio, &given)) && SUCCEEDED(given->GetUINT32(kChannels, &channels)) &&
      SUCCEEDED(given->GetUINT32(kSamplesPerSecond, &rate)) && channels > 0 && channels <= 8 && rate > 0;
  if (wanted) wanted->Release();
  if (given) given->Release();
  if (!decoded) return false;
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = static_cast<WORD>(channels);
  format.nSamplesPerSec = rate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(channels * 2);
  format.nAvgBytesPerSec = rate * format.nBlockAlign;
  if (state->wave.open(&state->output, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(state->done), 0,
                       CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    state->output = nullptr;
    return false;
  }
  state->volume = volume;
  state->loops = loops;
  state->bytesPerBuffer = format.nAvgBytesPerSec / 10;
  state_ = state.release();
  return true;
}

void VideoSound::start() {
  if (state_ && !thread_) thread_ = ::CreateThread(nullptr, 0, run, state_, 0, nullptr);
}

VideoSound::~VideoSound() {
  if (!state_) return;
  ::SetEvent(state_->stopping);
  // A thread still inside the decoder is not waited for: it keeps its state to the process's end.
  if (thread_ && ::WaitForSingleObject(thread_, 200) != WAIT_OBJECT_0) {
    ::CloseHandle(thread_);
    return;
  }
  if (thread_) ::CloseHandle(thread_);
  delete state_;
}

DWORD WINAPI VideoSound::run(void* parameter) {
  static_cast<State*>(parameter)->play();
  return 0;
}

}  // namespace saverkit::slideshow::win32
