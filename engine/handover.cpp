#include "engine/handover.h"

#include "codec/decoder/zatdec.h"

void handover_channel_once(zatdec& decoder, int16_t srindex) {
    decoder.setsamplerate(srindex);
    decoder.setbands();
    decoder.lastblockmode = decoder.config.initblockmode == 1 ? ALL_LONG : ALL_SHORT;
}
