// GL texture helpers shared by every layer that uploads images.
#pragma once

// Our pixel rows are unpadded; GL's default unpack alignment of 4 would
// read past the end of a buffer whose row length is not a multiple of 4.
// Holds the alignment at 1 for an upload and restores it afterwards.
class UnpaddedRows {
public:
    UnpaddedRows();
    ~UnpaddedRows();
    UnpaddedRows(const UnpaddedRows&) = delete;
    UnpaddedRows& operator=(const UnpaddedRows&) = delete;

private:
    int saved_ = 4;
};
