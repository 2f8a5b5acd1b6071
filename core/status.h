#pragma once
// Status codes shared by retrieval, protocols and convertors. Failures travel upwards as these
// negative values, never as exceptions.

namespace corvane::core {

enum Status : int {
    kStatusOk = 0,
    kEndOfData = -65,     // the data source has no more bytes; a normal end for convertors
    kNeedMoreData = -66,  // more bytes asked for than have arrived; retried on a later pass
    kYielded = -67,       // a convertor stopped with data left to let the loop breathe; resumed
                          // as soon as pending input has had its turn
    kFailure = -255,      // a network step or a convertor failed
    kSilentEnd = -52,     // end without anything to show and without a message
};

}  // namespace corvane::core
