// The bound entry points of the media libraries (namespace tw::ff) and of the C runtime
// (namespace tw::crt). Each is a pointer with the type of the library's own declaration, null
// until the loader binds it. Call them as ff::avcodec_open2(...); the unqualified library names
// are never linked.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/avfft.h>
#include <libavdevice/avdevice.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/bprint.h>
#include <libavutil/channel_layout.h>
#include <libavutil/cpu.h>
#include <libavutil/dict.h>
#include <libavutil/display.h>
#include <libavutil/eval.h>
#include <libavutil/fifo.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libavutil/parseutils.h>
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
#include <libavutil/time.h>
#include <libavutil/tx.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace tw {

// The lock manager's callback (the media library's mutex slot and an operation code), for
// libraries that still offer av_lockmgr_register.
enum TAVLockOp : int { AV_LOCK_CREATE_OP = 0, AV_LOCK_OBTAIN_OP = 1, AV_LOCK_RELEASE_OP = 2, AV_LOCK_DESTROY_OP = 3 };
using TLockManagerCallback = int (*)(void** AMutex, TAVLockOp AOp);

#define TW_REQ(name) inline decltype(&::name) name = nullptr;
#define TW_REQ_T(name, ...) inline std::type_identity_t<__VA_ARGS__> name = nullptr;
#define TW_OPT(name) inline decltype(&::name) name = nullptr;
#define TW_OPT_T(name, ...) inline std::type_identity_t<__VA_ARGS__> name = nullptr;

namespace ff {
#include "FFLoad/Entries/avcodec.inc"
#include "FFLoad/Entries/avdevice.inc"
#include "FFLoad/Entries/avfilter.inc"
#include "FFLoad/Entries/avformat.inc"
#include "FFLoad/Entries/avutil.inc"
#include "FFLoad/Entries/swresample.inc"
#include "FFLoad/Entries/swscale.inc"
}  // namespace ff

namespace crt {
#include "FFLoad/Entries/libc.inc"
}  // namespace crt

#undef TW_REQ
#undef TW_REQ_T
#undef TW_OPT
#undef TW_OPT_T

}  // namespace tw
