# cmake -DTEMPLATE=... -DOUTPUT=... -DVERSION=... -DQT_VERSION=... -P WriteBuildInfo.cmake
# The build date honours SOURCE_DATE_EPOCH (reproducible builds). configure_file leaves OUTPUT
# untouched when its text is unchanged, so nothing is rebuilt until the date changes.
string(TIMESTAMP VANTOR_BUILD_DATE "%Y-%m-%d" UTC)
set(VANTOR_VERSION "${VERSION}")
set(VANTOR_QT_VERSION "${QT_VERSION}")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
