using System;

namespace Common.Collections
{
    public class RingBuffer
    {
        public int Head, Tail;
    }
}
