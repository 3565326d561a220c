# Copies the sheet cases into the build folder afresh, so that sheets which make files (the
# DIR case) and --save steps never write into the source tree.
file(REMOVE_RECURSE ${DEST})
file(COPY ${SRC}/ DESTINATION ${DEST})
