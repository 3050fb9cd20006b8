#pragma once
// What the document hands to each decoder, once per operation and before every frame.
// The frame values (payload pointer and sizes, lost flag, header fields) are handed by
// the decode driver itself.
#include <cstdint>

class CTonvexDoc;
class zatdec;
class jzatdec;

// Once, after the first header: sample rate, band layouts and the initial previous block
// mode (initblockmode 1 gives ALL_LONG, 0 and 2 give ALL_SHORT).
void handover_channel_once(const CTonvexDoc& doc, zatdec& decoder, int16_t srindex);
// Before every frame: the channel decoder's configuration; the coefficient-decoding
// settings only under separate coding, the stored-sign switch only under joint coding.
void handover_channel_frame(const CTonvexDoc& doc, zatdec& decoder, bool joint);
// Before every frame: the joint decoder's configuration.
void handover_joint_frame(const CTonvexDoc& doc, jzatdec& decoder);
