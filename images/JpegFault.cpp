#include "images/JpegFault.h"

#include <cstdio>

#include <jpeglib.h>

// After jpeglib.h, whose configuration it reads.
#include <jerror.h>

const char *JpegFaultWords(int code) {
    switch (code) {
    case JERR_NO_SOI:
        return "這不是 JPEG 圖檔";
    case JERR_INPUT_EMPTY:
        return "檔案是空的";
    case JERR_INPUT_EOF:
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JERR_FILE_READ:
        return "檔案不完整，圖像資料在中途截斷";
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JERR_HUFF_CLEN_OVERFLOW:
    case JERR_HUFF_MISSING_CODE:
    case JERR_BAD_HUFF_TABLE:
    case JERR_BAD_DCT_COEF:
        return "圖像資料已損壞";
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_NOT_SEQUENTIAL:
    case JERR_BAD_PROGRESSION:
        return "漸進式 JPEG 的掃描資料已損壞";
    case JERR_UNKNOWN_MARKER:
    case JERR_BAD_LENGTH:
    case JERR_SOS_NO_SOF:
    case JERR_SOF_NO_SOS:
    case JERR_SOF_DUPLICATE:
    case JERR_SOI_DUPLICATE:
    case JERR_EOI_EXPECTED:
    case JERR_NO_IMAGE:
    case JERR_EMPTY_IMAGE:
    case JERR_BAD_COMPONENT_ID:
    case JERR_COMPONENT_COUNT:
    case JERR_BAD_SAMPLING:
    case JERR_BAD_MCU_SIZE:
    case JERR_DHT_INDEX:
    case JERR_DQT_INDEX:
    case JERR_DAC_INDEX:
    case JERR_DAC_VALUE:
        return "JPEG 檔頭已損壞";
    case JERR_NO_HUFF_TABLE:
    case JERR_NO_QUANT_TABLE:
    case JERR_NO_ARITH_TABLE:
        return "JPEG 檔缺少解碼所需的表格";
    case JERR_SOF_UNSUPPORTED:
    case JERR_ARITH_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_NOTIMPL:
    case JERR_BAD_PRECISION:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_BAD_J_COLORSPACE:
    case JERR_BAD_IN_COLORSPACE:
        return "不支援這種 JPEG 編碼";
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
        return "圖像太大";
    case JERR_OUT_OF_MEMORY:
        return "記憶體不足";
    default:
        return nullptr;
    }
}
