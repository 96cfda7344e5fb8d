#include "method_catalogue.h"

namespace qelwipe {

using enum EngineOperation;

constinit const std::array<MethodEntry, kMethodCount> kMethods{{
    {"Quick Zero Wiping 0x00 (1 pass)",
     "Quick Zero Wiping uses just 1-pass to overwrite all disk data with zero characters/patterns. Recovery tools "
     "will fail to find the original data stored on disk. This is the method accepted by the U. S. Department of "
     "Defense (DoD) for wiping most disks, except those with secret information. This wiping process can be "
     "repeated up to 100 times.",
     0, WipeFile},
    {"Quick Random Wiping (1 pass)",
     "Quick Random Wiping uses 1-pass to overwrite all disk data with 2 hex value characters. Recovery tools will "
     "not be able to find the original data stored on disk because the entire disk surface will be filled with "
     "random (unclassified) information, leaving no trace of the original data. This wiping process can be "
     "repeated up to 100 times.",
     0, WipeFile},
    {"Stop Software Recovery Fast (2 passes)",
     "Stop Software Recovery Fast uses 2-pass wiping, 1 pass with random numbers and 1 pass with zeroes, and "
     "verifies both passes. This method is recommended if all you wish to do is stop software recovery tools. It "
     "works with files on compressed drives. This wiping process can be repeated up to 100 times.",
     0, WipeFile},
    {"NAVSO P-5239.26 RLL (3 passes)",
     "NAVSO RLL uses the principles of Navy Staff Office Publication (NAVSO PUB) 5239, 'Information Systems "
     "Security Program Guidelines'. This 3-pass method uses a mixture of techniques to alter data into a Magnetic "
     "data storage media format. ST506 style disk drives use MFM conversion, but SCSI and ATA/IDE drives use a Run "
     "Length Limited (RLL) encoding format. The RLL pattern is recommended for those who are unsure of the drive "
     "encoding technique. This wiping process can be repeated up to 100 times.",
     0, WipeFile},
    {"NAVSO P-5239.26 MFM (3 passes)",
     "NAVSO MFM uses the principles of Navy Staff Office Publication (NAVSO PUB) 5239, 'Information Systems "
     "Security Program Guidelines'. This 3-pass method uses a mixture of techniques to alter data into a Magnetic "
     "data storage media format. ST506 style disk drives use MFM conversion, while SCSI and ATA/IDE drives use a "
     "Run Length Limited (RLL) encoding format. This method uses the MFM pattern technique. This wiping process "
     "can be repeated up to 100 times.",
     0, WipeFile},
    {"Government Wipe Standard DOD P-5220.22-M (7 passes)",
     "Government Wipe Standard uses a more secure (but slower) 7-pass method matching the U. S. Department of "
     "Defense standards (DOD 5220.22-M). The 7 passes are: randomly generated character A, complement of "
     "character A, randomly generated data stream, randomly generated character B, randomly generated character "
     "C, complement of character C, and randomly generated data stream. This wiping process can be repeated up to "
     "100 times.",
     0, WipeFile},
    {"Bruce Schneier's algorithm (7 passes)",
     "Bruce Schneier's Algorithm uses a 7-pass overwriting algorithm outlined in his Applied Cryptography book. "
     "The first pass overwrites all disk data with 0xFF patterns, the second pass with 0x00 patterns, and then "
     "five passes with a cryptographically locked pseudo-random sequence. This wiping process can be repeated up "
     "to 100 times",
     0, WipeFile},
    {"Beyond DOD P-5220.22-M Standards (3+7+3 passes)",
     "Beyond DOD Standards (3+7+3) uses a slower 13-pass wipe method above the U.S. Department of Defense "
     "standards. The first 3 passes are with random patterns, the next 7 passes are the standard passes from the "
     "DoD standard, and the last 3 passes are with random patterns. The last pass is verified. This method will "
     "wipe data on compressed drives.  This wiping process can be repeated up to 100 times.",
     0, WipeFile},
    {"Stop Hardware Recovery (Gutmann)(35 passes)",
     "Stop Hardware Recovery/Gutmann uses a much slower, greater security technique of 35-passes. It is based on "
     "Peter Gutmann's paper 'Secure Deletion of Data from Magnetic and Solid-State Memory'. All data is erased "
     "regardless of its encoding, and magnetic remnants are also removed from the disk. Gutmann's stops both "
     "software and hardware recovery tools. This wiping process can be repeated up to 100 times",
     0, WipeFile},
    {"Quick Fill 0xHex value (1 passes)",
     "Quick Erase uses 1-pass to overwrite all disk data with 2 hex value characters. It does this by writing a "
     "specified hexadecimal value in place of the old file data. This method erases all traces of the data and "
     "renders recovery tools useless. This wiping process can be repeated up to 100 times.",
     1, FastWipeFile},
    {"Government Wipe (3 passes)",
     "Government Shredding uses the basic 3-pass technique approved by the Department of Defense. The passes are "
     "made with random patterns, which write three different hexadecimal values over the old file data, and then "
     "verify that there were no disk errors during the third hexadecimal value writing process. This method "
     "prevents recovery software from finding original disk data.  This wiping process can be repeated up to 100 "
     "times.",
     3, GovermentWipeFile},
}};

}  // namespace qelwipe
