# Facts about the release that the package control file, the metadata, the copyright file
# and the changelog share.
# The vendor has not named an address or licence yet: the .example domain marks placeholders.
set(FOLIVO_MAINTAINER "Quillon <folivo@quillon.example>")
set(FOLIVO_HOMEPAGE "https://quillon.example/folivo")
# The licence as SPDX (AppStream) and as the DEP-5 short name (copyright file).
set(FOLIVO_LICENSE "LicenseRef-proprietary")
set(FOLIVO_DEB_LICENSE "proprietary")
set(FOLIVO_COPYRIGHT_YEARS "2026")
# Date of the release PROJECT_VERSION; change it with the version.
set(FOLIVO_RELEASE_DATE "2026-12-09")
set(FOLIVO_RELEASE_DATE_RFC "Wed, 09 Dec 2026 00:00:00 +0000")
