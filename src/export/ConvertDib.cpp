// FIXME: not written yet.
