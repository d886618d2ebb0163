# Copies the samples that match PATTERNS ("|"-separated globs under SAMPLES) into CORPUS.
file(MAKE_DIRECTORY ${CORPUS})
string(REPLACE "|" ";" PATTERNS "${PATTERNS}")
foreach(pattern ${PATTERNS})
  file(GLOB found ${SAMPLES}/${pattern})
  foreach(file ${found})
    file(COPY ${file} DESTINATION ${CORPUS})
  endforeach()
endforeach()
