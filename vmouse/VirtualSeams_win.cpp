// The virtual build reaches the virtual mouse behind the same seams.
