#pragma once
// The common faults of a JPEG file in the reader's words, for the decoder's messages.

// Our words for libjpeg's message `code` (a J_MESSAGE_CODE), or nullptr for one we have none for.
const char *JpegFaultWords(int code);
