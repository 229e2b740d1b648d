# cmake -DSRC=<folder> -DDST=<folder> -P CopyData.cmake
# Copies the content of SRC into DST, leaving alone the files that are already
# there with the same time stamp: a build does not rewrite the data that running
# tests (or a running program) are reading.
file(COPY "${SRC}/" DESTINATION "${DST}")
